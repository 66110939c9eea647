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

// The bytes of a settings file: every setting of the window but the
// passwords, as UTF-8 JSON.
QByteArray SettingsFileBytes(const scriptgen::ScriptSettings& settings);

struct OpenedSettings {
    scriptgen::ScriptSettings settings; // the passwords empty
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
// box can show, or come from a newer format.
OpenedSettings ParseSettings(const QByteArray& bytes);

// Reads and parses the file at `path`; a file that cannot be read is refused
// like one that is no settings file.
OpenedSettings ReadSettingsFile(const QString& path);

} // namespace zestrel
