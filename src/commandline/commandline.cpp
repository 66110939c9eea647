#include "commandline/commandline.h"

#include "core/checkreport.h"
#include "core/safefile.h"
#include "core/settingsfile.h"
#include "scriptgen/compiler.h"

#include <QDir>
#include <QTextStream>

namespace zestrel {

namespace {

const QString kProgram = QStringLiteral("zestrel");

QString HelpText()
{
    return QStringLiteral("Usage: zestrel [FILE.zestrel]\n"
                          "       zestrel --compile FILE.zestrel -o SCRIPT.php\n"
                          "\n"
                          "Zestrel PHP Script Creator writes the PHP script that handles a submitted\n"
                          "HTML form. Without options it opens its window, with FILE.zestrel open if\n"
                          "one is named.\n"
                          "\n"
                          "Options:\n"
                          "  --compile FILE.zestrel  compile the settings file without a window\n"
                          "  -o, --output SCRIPT.php the script to write; an existing file is replaced\n"
                          "                          only once the new script is complete\n"
                          "  -h, --help              show this help and exit\n"
                          "  --version               show the version and exit\n"
                          "\n"
                          "Settings files hold no passwords: a script compiled from one connects to\n"
                          "MySQL with an empty password. Type the password in the window and save\n"
                          "the script from there when the server needs one.\n"
                          "\n"
                          "Exit status: 0 when the script was written; 1 when the settings file\n"
                          "cannot be read or the script cannot be written; 2 when the safe script's\n"
                          "check finds problems, each printed on a line of its own; 64 when the\n"
                          "command line is wrong.\n");
}

CommandLine Wrong(const QString& what)
{
    CommandLine command;
    command.mode = CommandLine::Mode::Wrong;
    command.wrong = what;
    return command;
}

int Compile(const CommandLine& command, QTextStream& err)
{
    const QString shownFile = QDir::toNativeSeparators(command.settingsFile);
    OpenedSettings opened;
    try {
        opened = ReadSettingsFile(command.settingsFile);
    } catch (const SettingsFileError& error) {
        err << kProgram << ": cannot read " << shownFile << ": " << error.reason() << ".\n";
        return kExitFileFailed;
    }
    if (!opened.leftOut.isEmpty())
        err << kProgram << ": " << shownFile
            << ": left out settings this version does not know: " << opened.leftOut.join(QStringLiteral(", ")) << ".\n";

    const std::vector<scriptgen::Problem> problems = ProblemsBeforeCompile(opened.settings);
    if (!problems.empty()) {
        for (const scriptgen::Problem& problem : problems)
            err << shownFile << ": " << Describe(problem) << '\n';
        return kExitCheckFailed;
    }

    const QByteArray bytes = ScriptBytes(scriptgen::CompileScript(opened.settings));
    try {
        // A name taken while the script was written is looked at again and
        // replaced, as any existing file is.
        while (!WriteFileSafely(InspectSaveTarget(command.output), bytes)) {}
    } catch (const SaveError& error) {
        err << kProgram << ": cannot write " << QDir::toNativeSeparators(command.output) << ": " << error.reason()
            << ".\n";
        return kExitFileFailed;
    }
    if (opened.settings.useDatabase)
        err << kProgram
            << ": note: settings files hold no passwords, so the script connects to MySQL with an "
               "empty password.\n";
    return kExitSuccess;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    CommandLine command;
    bool compile = false;
    bool options = true;
    QStringList files;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasNext = i + 1 < arguments.size();
        if (!options || !argument.startsWith(QLatin1Char('-')) || argument == QStringLiteral("-")) {
            files.append(argument);
        } else if (argument == QStringLiteral("--")) {
            options = false;
        } else if (argument == QStringLiteral("-h") || argument == QStringLiteral("--help")) {
            command.mode = CommandLine::Mode::Help;
            return command;
        } else if (argument == QStringLiteral("--version")) {
            command.mode = CommandLine::Mode::Version;
            return command;
        } else if (argument == QStringLiteral("--compile")) {
            if (!hasNext)
                return Wrong(QStringLiteral("--compile needs the settings file to compile"));
            if (compile)
                return Wrong(QStringLiteral("--compile is given twice"));
            compile = true;
            command.settingsFile = arguments[++i];
        } else if (argument == QStringLiteral("-o") || argument == QStringLiteral("--output")) {
            if (!hasNext)
                return Wrong(QStringLiteral("%1 needs the name of the script to write").arg(argument));
            if (!command.output.isEmpty())
                return Wrong(QStringLiteral("the script to write is given twice"));
            command.output = arguments[++i];
            if (command.output.isEmpty())
                return Wrong(QStringLiteral("the name of the script to write is empty"));
        } else {
            CommandLine wrong = Wrong(QStringLiteral("unknown option %1").arg(argument));
            wrong.toolkitOption = !argument.startsWith(QStringLiteral("--"));
            return wrong;
        }
    }
    if (compile) {
        if (command.output.isEmpty())
            return Wrong(QStringLiteral("--compile needs -o and the name of the script to write"));
        if (!files.isEmpty())
            return Wrong(QStringLiteral("--compile takes one settings file, but %1 is given too").arg(files.front()));
        command.mode = CommandLine::Mode::Compile;
        return command;
    }
    if (!command.output.isEmpty())
        return Wrong(QStringLiteral("-o writes the script of --compile, which is missing"));
    if (files.size() > 1)
        return Wrong(QStringLiteral("the window opens one settings file, but %1 are given").arg(files.size()));
    if (!files.isEmpty())
        command.settingsFile = files.front();
    return command;
}

bool WantsNoWindow(const QStringList& arguments)
{
    const CommandLine command = ParseCommandLine(arguments);
    return command.mode != CommandLine::Mode::Window && !command.toolkitOption;
}

int RunWithoutWindow(const CommandLine& command, QTextStream& out, QTextStream& err)
{
    switch (command.mode) {
    case CommandLine::Mode::Help:
        out << HelpText();
        return kExitSuccess;
    case CommandLine::Mode::Version:
        out << "Zestrel PHP Script Creator " << ZESTREL_VERSION << '\n';
        return kExitSuccess;
    case CommandLine::Mode::Compile:
        return Compile(command, err);
    case CommandLine::Mode::Wrong:
    case CommandLine::Mode::Window:
        break;
    }
    err << kProgram << ": " << command.wrong << ".\nTry 'zestrel --help' for more information.\n";
    return kExitUsage;
}

} // namespace zestrel
