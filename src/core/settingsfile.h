#pragma once

#include "scriptgen/settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace zestrel {

inline constexpr const char* kSettingsSuffix = ".zestrel";

// A file is a settings file when it is a JSON object whose "format" is this
// text. Its "version" changes only when a file can no longer be shown by the
// versions before; settings added later are further keys, which earlier
// versions leave out and name.
inline constexpr const char* kSettingsFormat = "Zestrel PHP Script Creator settings";
inline constexpr int kSettingsVersion = 1;

// Where the files of the work lie, kept beside its settings so that the
// dialogs open there again. Absolute paths; empty when there is none.
struct FilePlaces {
    QString script; // the script saved last
    QString form; // the form page read last

    bool operator==(const FilePlaces&) const = default;
};

// The bytes of a settings file: every setting of the window but the
// passwords, as UTF-8 JSON, with the places of the work's files. A place
// inside the folder of `settingsFile` is kept relative to it, so the folder
// can move as a whole; any other is kept absolute.
QByteArray SettingsFileBytes(
    const scriptgen::ScriptSettings& settings, const FilePlaces& places = {}, const QString& settingsFile = {});

struct OpenedSettings {
    scriptgen::ScriptSettings settings; // the passwords empty
    FilePlaces places; // absolute, whether or not the files still exist
    QStringList leftOut; // keys this version does not know, in order
};

// Why a file gives no settings: the file and what is wrong with it, in plain
// words, for the caller to word.
class SettingsFileError : public std::runtime_error {
public:
    SettingsFileError(const QString& path, const QString& reason);
    const QString& path() const { return path_; }
    const QString& reason() const { return reason_; }

private:
    QString path_;
    QString reason_;
};

// The settings a file's bytes hold, exactly as the window would show them.
// Throws SettingsFileError, without a path, when the bytes are no settings
// file, are damaged or cut short, hold a value of the wrong kind or one no
// box can show, or come from a newer format. Relative places are taken from
// the folder of `settingsFile`.
OpenedSettings ParseSettings(const QByteArray& bytes, const QString& settingsFile = {});

// Reads and parses the file at `path`; a file that cannot be read is refused
// like one that is no settings file.
OpenedSettings ReadSettingsFile(const QString& path);

} // namespace zestrel
