#pragma once

#include "core/settingsfile.h"
#include "scriptgen/safe/check.h"
#include "scriptgen/settings.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace zestrel {

// What the window works on: the script of the last compile, and the
// settings file the settings were opened from or saved to, with the list of
// recent settings files. It holds no widgets; the window shows what it holds
// and words what it reports.
class Document : public QObject {
    Q_OBJECT
public:
    explicit Document(QObject* parent = nullptr);

    // The compiled script, one entry per line.
    const scriptgen::Lines& script() const { return script_; }
    // Whether a compile has run since the start, the last New Script or the
    // last settings file opened.
    bool compiled() const { return compiled_; }
    // Compiles the settings, unless the check finds problems, which it
    // returns; the script of the last compile then stays.
    std::vector<scriptgen::Problem> compile(const scriptgen::ScriptSettings& settings);
    // Writes the compiled script as Save Script does, to the chosen name
    // (".php" added to a new name), asking before anything at the name is
    // replaced. Throws SaveError.
    void saveScript(const QString& chosen) const;
    // New Script: no script, and no settings file.
    void clear();

    // The settings file, with its absolute path; empty when there is none.
    const QString& settingsFile() const { return settingsFile_; }
    // Reads the settings file; throws SettingsFileError. The file becomes the
    // document's once the window shows its settings (`shown`).
    OpenedSettings read(const QString& path) const;
    void opened(const QString& path, const scriptgen::ScriptSettings& shown);
    // Writes the settings, with the places of the work's files, to the file;
    // false when the user would not have a file at the name replaced. Throws
    // SaveError.
    bool save(const QString& path, const scriptgen::ScriptSettings& settings, const FilePlaces& places,
        bool askBeforeReplacing);
    // Whether the settings differ from what the settings file keeps of them
    // (its passwords never count); false without a settings file.
    bool differsFromFile(const scriptgen::ScriptSettings& settings) const;

    // The settings files opened or saved last, newest first, as kept between
    // runs.
    static QStringList recentFiles();
    // Takes a file off the list.
    static void forgetRecent(const QString& path);

signals:
    void scriptChanged();
    void settingsFileChanged();

private:
    void setSettingsFile(const QString& path, const scriptgen::ScriptSettings& kept);

    scriptgen::Lines script_;
    bool compiled_ = false;
    QString settingsFile_;
    scriptgen::ScriptSettings kept_; // what the settings file holds
};

} // namespace zestrel
