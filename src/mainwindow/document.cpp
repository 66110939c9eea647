#include "mainwindow/document.h"

#include "core/safefile.h"
#include "core/textrules.h"
#include "mainwindow/filesaving.h"
#include "scriptgen/compiler.h"

#include <QFileInfo>
#include <QSettings>

namespace zestrel {

namespace {

const QString kRecentKey = QStringLiteral("recentSettings");
constexpr qsizetype kRecentCount = 8;
// Settings name servers, users and tables: for the owner's eyes only.
constexpr mode_t kSettingsMode = 0600;

// Where the list of recent settings files is kept between runs.
QSettings Store()
{
    return QSettings(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("VORTEQ"), QStringLiteral("Zestrel"));
}

void SetRecentFiles(const QStringList& files)
{
    QSettings store = Store();
    store.setValue(kRecentKey, files);
}

// The settings as a settings file keeps them: without the passwords.
scriptgen::ScriptSettings AsKept(scriptgen::ScriptSettings settings)
{
    settings.password.clear();
    settings.ownerPassword.clear();
    if (settings.smtp)
        settings.smtp->password.clear();
    return settings;
}

} // namespace

Document::Document(QObject* parent) : QObject(parent) {}

std::vector<scriptgen::Problem> Document::compile(const scriptgen::ScriptSettings& settings)
{
    std::vector<scriptgen::Problem> problems = scriptgen::ProblemsBeforeCompile(settings);
    if (!problems.empty())
        return problems;
    script_ = scriptgen::CompileScript(settings);
    compiled_ = true;
    emit scriptChanged();
    return {};
}

void Document::saveScript(const QString& chosen) const
{
    SaveAskingBeforeReplacing(ScriptFileName(chosen), ScriptBytes(script_));
}

void Document::clear()
{
    script_.clear();
    // The script is gone: saving must wait for the next compile instead of
    // writing an empty file.
    compiled_ = false;
    emit scriptChanged();
    setSettingsFile({}, {});
}

OpenedSettings Document::read(const QString& path) const
{
    return ReadSettingsFile(path);
}

void Document::opened(const QString& path, const scriptgen::ScriptSettings& shown)
{
    // The script of the last compile is not the script of these settings.
    script_.clear();
    compiled_ = false;
    emit scriptChanged();
    setSettingsFile(path, AsKept(shown));
}

bool Document::save(
    const QString& path, const scriptgen::ScriptSettings& settings, const FilePlaces& places, bool askBeforeReplacing)
{
    if (!SaveAskingBeforeReplacing(path, SettingsFileBytes(settings, places, path), kSettingsMode, askBeforeReplacing))
        return false;
    setSettingsFile(path, AsKept(settings));
    return true;
}

bool Document::differsFromFile(const scriptgen::ScriptSettings& settings) const
{
    return !settingsFile_.isEmpty() && AsKept(settings) != kept_;
}

void Document::setSettingsFile(const QString& path, const scriptgen::ScriptSettings& kept)
{
    settingsFile_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    kept_ = kept;
    if (!path.isEmpty()) {
        QStringList files = recentFiles();
        files.removeAll(settingsFile_);
        files.prepend(settingsFile_);
        SetRecentFiles(files.mid(0, kRecentCount));
    }
    emit settingsFileChanged();
}

QStringList Document::recentFiles()
{
    return Store().value(kRecentKey).toStringList().mid(0, kRecentCount);
}

void Document::forgetRecent(const QString& path)
{
    QStringList files = recentFiles();
    files.removeAll(path);
    SetRecentFiles(files);
}

} // namespace zestrel
