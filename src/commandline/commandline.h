#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace zestrel {

// Exit codes of the command line.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFileFailed = 1; // the settings file unread, or the script unwritten
inline constexpr int kExitCheckFailed = 2; // the safe script's check found problems
inline constexpr int kExitUsage = 64; // the command line itself is wrong, or asks a build without it for the window

// What the command line asks for.
struct CommandLine {
    enum class Mode { Window, Compile, Check, Help, Version, Wrong };
    Mode mode = Mode::Window;
    QString settingsFile; // the file to open, compile or check; may be empty for the window
    QString output; // the script to write; "-" is standard output
    QString wrong; // what is wrong with the command line
    bool toolkitOption = false; // wrong only because of an option the window's toolkit may take ("-platform")
};

// Reads the arguments that follow the program's name.
CommandLine ParseCommandLine(const QStringList& arguments);

// Whether the arguments ask for something that needs no window, so the
// program can run without a display: a compile, a check, the help, the
// version, or a wrong command line. An option the window's toolkit may take for itself
// ("-platform offscreen") is left for the window to decide.
bool WantsNoWindow(const QStringList& arguments);

// Runs a command that needs no window, writing what it has to say to `out`
// and `err`; returns the exit code. The window itself is refused: a program
// with a window opens it before it gets here.
int RunWithoutWindow(const CommandLine& command, QTextStream& out, QTextStream& err);

} // namespace zestrel
