#pragma once

#include "core/insertgrid.h"
#include "core/settingsfile.h"
#include "mainwindow/menus.h"
#include "scriptgen/safe/check.h"
#include "scriptgen/settings.h"

#include <QMainWindow>

#include <vector>

class QPlainTextEdit;
class QStringListModel;
class QTabWidget;

namespace zestrel {
class AlterDatabaseTablesPage;
class DatabaseRecordsPage;
class Document;
class EmailVariablesPage;
class OpenDialog;
class SaveDialog;
class ScriptSetupPage;
class SettingsDialog;
class SettingsPage;
class ViewDatabaseRecordsPage;
} // namespace zestrel

// The program's one main window: the five pages of settings, the commands of
// the tool bar and the menu, and the wiring between them. The document holds
// the compiled script and the settings file; each page owns its controls.
// The handlers keep their component-and-event names.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Whether a compile has run since the start, the last New Script or the
    // last settings file opened.
    bool ScriptCompiled() const;
    // The compiled-script buffer, one entry per line.
    const scriptgen::Lines& ScriptBuffer() const;
    const zestrel::InsertGrid& Grid() const;
    // The settings a compile would read right now.
    scriptgen::ScriptSettings CurrentSettings() const;
    // The pages, in the order of their tabs.
    const std::vector<zestrel::SettingsPage*>& Pages() const { return pages_; }
    // The settings file the window shows, or an empty name.
    const QString& SettingsFile() const;

    // Opens a settings file as Open Settings... does: the window shows its
    // settings, or keeps what it had and says what is wrong with the file.
    void OpenSettingsFile(const QString& path);

public slots:
    void FormActivate();
    void Memo1Change();
    void Button1Click();
    void Action1Execute();
    void ToolButton3Click();
    void NewScript1Click();
    void OpenSettings1Click();
    void SaveSettings1Click();
    void SaveSettingsAs1Click();
    void Exit1Click();
    void ScriptSetup1Click();
    void EmailVariables1Click();
    void DatabaseRecords1Click();
    void ViewDatabaseRecords1Click();
    void AlterDatabaseRecords1Click();
    void ToolButton5Click();
    void HelpContents1Click();
    void ToolButton6Click();
    void VORTEQOnline1Click();
    void About1Click();

protected:
    bool event(QEvent* event) override;
    // The title-bar close button and Exit: unsaved changes to an open
    // settings file are asked about first.
    void closeEvent(QCloseEvent* event) override;

private:
    void connectCommands();
    void showPage(QWidget* page);
    // Reports the check's problems in one box and brings the first
    // problem's control to the front.
    void showProblems(const std::vector<scriptgen::Problem>& problems);
    QWidget* controlFor(scriptgen::Setting setting) const;

    // Reading the field list from a form page, chosen or dropped.
    void readForm(const QString& path);
    void openDroppedFile(const QString& path);

    // Settings files: the caption names the open one and marks unsaved
    // changes; the recent ones are listed in their menu.
    bool saveSettingsTo(const QString& name, bool askBeforeReplacing);
    void showPlaces(const zestrel::FilePlaces& places);
    void showSettingsFile();
    void scheduleModifiedUpdate();
    void updateModified();
    // Before the window's settings would be lost: asks whether to save the
    // changes to the open settings file, and saves them if so. Whether to go
    // on; false when the user cancels or the save failed.
    bool maybeSaveChanges();
    void listRecentSettings();
    void openRecentSettings(const QString& path);

    zestrel::Document* document_;
    zestrel::Commands commands_;
    QTabWidget* tabs_ = nullptr;
    zestrel::ScriptSetupPage* scriptSetup_ = nullptr;
    zestrel::EmailVariablesPage* emailVariables_ = nullptr;
    zestrel::DatabaseRecordsPage* databaseRecords_ = nullptr;
    zestrel::ViewDatabaseRecordsPage* viewDatabaseRecords_ = nullptr;
    zestrel::AlterDatabaseTablesPage* alterDatabaseTables_ = nullptr;
    std::vector<zestrel::SettingsPage*> pages_;
    // The compiled script as the window shows it, a control never shown.
    QPlainTextEdit* scriptBuffer_ = nullptr;
    zestrel::SaveDialog* scriptDialog_ = nullptr;
    zestrel::OpenDialog* formDialog_ = nullptr;
    zestrel::SettingsDialog* settingsDialog_ = nullptr;
    // The entries "$" and a field name, listed by the mail list and both
    // value pickers.
    QStringListModel* fieldVariables_ = nullptr;
    bool activated_ = false;
    bool modifiedUpdatePending_ = false;
};
