// The settings files of the File menu: Open Settings..., Save Settings, Save
// Settings As..., the recent ones, and the caption that names the file open.
#include "core/safefile.h"
#include "core/settingsfile.h"
#include "core/textrules.h"
#include "mainwindow/dialogs.h"
#include "mainwindow/filesaving.h"
#include "mainwindow/guard.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/scriptsetuppage.h"
#include "mainwindow/settingspage.h"
#include "scriptgen/safe/check.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>

using zestrel::Guard;

namespace {

const QString kCaption = QStringLiteral("Zestrel PHP Script Creator");
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

// The password boxes the opened settings need filled in again, as files
// never keep a password.
QStringList PasswordsToType(const scriptgen::ScriptSettings& s)
{
    QStringList boxes;
    if (s.useDatabase)
        boxes.append(QStringLiteral("Password, on the page Script Setup"));
    if (s.target == scriptgen::Target::Safe && scriptgen::NeedsOwnerPassword(s))
        boxes.append(QStringLiteral("Owner password, on the page Script Setup"));
    if (s.sendMail && s.smtp && !s.smtp->userName.empty())
        boxes.append(QStringLiteral("the mail account's Password, under Mail Server... on the page Email Variables"));
    return boxes;
}

QStringList RecentFiles()
{
    return Store().value(kRecentKey).toStringList();
}

void SetRecentFiles(const QStringList& files)
{
    QSettings store = Store();
    store.setValue(kRecentKey, files);
}

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString DocumentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

} // namespace

void TForm1::OpenSettings1Click()
{
    Guard([this] {
        const QString path =
            settingsDialog_->chooseToOpen(this, settingsFile_.isEmpty() ? DocumentsFolder() : settingsFile_);
        if (!path.isEmpty())
            OpenSettingsFile(path);
    });
}

void TForm1::OpenSettingsFile(const QString& path)
{
    Guard([this, &path] {
        zestrel::OpenedSettings opened;
        try {
            opened = zestrel::ReadSettingsFile(path);
        } catch (const zestrel::SettingsFileError& error) {
            zestrel::MessageBoxes::error(zestrel::ApplicationTitle(),
                QStringLiteral("Cannot open \"%1\": %2.\n\nThe window keeps the settings it had.")
                    .arg(Shown(path), error.reason()));
            return;
        }
        for (zestrel::SettingsPage* page : pages_)
            page->showSettings(opened.settings);
        // The script of the last compile is not the script of these
        // settings: saving waits for the next compile.
        SetBuffer({});
        scriptCompiled_ = false;
        ShowPage(TabSheet1);
        SetSettingsFile(path);
        RememberRecent(path);

        QString report = QStringLiteral("Opened %1.").arg(QFileInfo(path).fileName());
        if (const QStringList boxes = PasswordsToType(opened.settings); !boxes.isEmpty())
            report += QStringLiteral("\n\nSettings files never keep passwords: type them again before you compile "
                                     "(%1).")
                          .arg(boxes.join(QStringLiteral("; ")));
        if (!opened.leftOut.isEmpty())
            report += QStringLiteral("\n\nLeft out, as this version of the program does not know them: %1.")
                          .arg(opened.leftOut.join(QStringLiteral(", ")));
        zestrel::MessageBoxes::information(zestrel::ApplicationTitle(), report);
    });
}

void TForm1::SaveSettings1Click()
{
    Guard([this] {
        if (settingsFile_.isEmpty())
            SaveSettingsAs1Click();
        else
            SaveSettingsTo(settingsFile_, false);
    });
}

void TForm1::SaveSettingsAs1Click()
{
    Guard([this] {
        const QString start = settingsFile_.isEmpty() ? DocumentsFolder() : settingsFile_;
        const QString chosen = settingsDialog_->chooseToSave(this, start);
        if (!chosen.isEmpty())
            SaveSettingsTo(zestrel::WithSuffix(chosen, QLatin1String(zestrel::kSettingsSuffix)), true);
    });
}

void TForm1::SaveSettingsTo(const QString& name, bool askBeforeReplacing)
{
    const QByteArray bytes = zestrel::SettingsFileBytes(CurrentSettings());
    try {
        if (!zestrel::SaveAskingBeforeReplacing(name, bytes, kSettingsMode, askBeforeReplacing))
            return;
    } catch (const zestrel::SaveError& error) {
        zestrel::MessageBoxes::error(zestrel::ApplicationTitle(),
            QStringLiteral("Cannot save the settings to \"%1\": %2.\n\nThe window keeps your settings: choose another "
                           "name or folder, or mend the cause, and save them again.")
                .arg(Shown(error.path()), error.reason()));
        return;
    }
    SetSettingsFile(name);
    RememberRecent(name);
}

void TForm1::SetSettingsFile(const QString& path)
{
    settingsFile_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    setWindowTitle(path.isEmpty() ? kCaption : QFileInfo(path).fileName() + QStringLiteral(" - ") + kCaption);
}

void TForm1::RememberRecent(const QString& path)
{
    const QString file = QFileInfo(path).absoluteFilePath();
    QStringList files = RecentFiles();
    files.removeAll(file);
    files.prepend(file);
    SetRecentFiles(files.mid(0, kRecentCount));
    UpdateRecentSettings();
}

void TForm1::UpdateRecentSettings()
{
    RecentSettings1->clear();
    const QStringList files = RecentFiles();
    for (qsizetype i = 0; i < files.size() && i < kRecentCount; ++i) {
        QString caption = Shown(files[i]);
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = RecentSettings1->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(caption));
        item->setObjectName(QStringLiteral("RecentSettingsFile%1").arg(i + 1));
        connect(item, &QAction::triggered, this, [this, file = files[i]] { OpenRecentSettings(file); });
    }
    RecentSettings1->setEnabled(!files.isEmpty());
}

void TForm1::OpenRecentSettings(const QString& path)
{
    Guard([this, &path] {
        const QFileInfo file(path);
        if (file.exists() || file.isSymLink()) {
            OpenSettingsFile(path);
            return;
        }
        QStringList files = RecentFiles();
        files.removeAll(path);
        SetRecentFiles(files);
        UpdateRecentSettings();
        zestrel::MessageBoxes::warning(zestrel::ApplicationTitle(),
            QStringLiteral("\"%1\" is no longer there: it was moved, renamed or deleted. It is taken off Recent "
                           "Settings; open it with Open Settings... where it is now.")
                .arg(Shown(path)));
    });
}
