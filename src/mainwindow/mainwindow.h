#pragma once

#include "core/insertgrid.h"
#include "scriptgen/settings.h"

#include <QMainWindow>

#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QStringListModel;
class QTabWidget;
class QToolBar;
class QToolButton;

namespace zestrel {
class AlterDatabaseTablesPage;
class DatabaseRecordsPage;
class EmailVariablesPage;
class OpenDialog;
class SaveDialog;
class ScriptSetupPage;
class SettingsDialog;
class SettingsPage;
class ViewDatabaseRecordsPage;
} // namespace zestrel

// The program's one main window: five pages of settings, the commands of the
// tool bar and the menu, the compiled-script buffer and the wiring between
// them. Each page owns its controls.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Whether a compile has run since the start, the last New Script or the
    // last settings file opened.
    bool ScriptCompiled() const { return scriptCompiled_; }
    // The compiled-script buffer, one entry per line.
    const scriptgen::Lines& ScriptBuffer() const { return buffer_; }
    const zestrel::InsertGrid& Grid() const;
    // The settings a compile would read right now.
    scriptgen::ScriptSettings CurrentSettings() const;
    // The pages, in the order of their tabs.
    const std::vector<zestrel::SettingsPage*>& Pages() const { return pages_; }
    // The settings file the window shows, or an empty name.
    const QString& SettingsFile() const { return settingsFile_; }

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

private:
    void BuildToolBar(QWidget* client);
    void BuildMenu();
    // The button, file drops and dialog that read the field list from a form.
    void SetUpFormReading();
    void ReadFormFile(const QString& path);
    // A file dropped onto the window: a settings file opens, any other is
    // read as a form page.
    void OpenDroppedFile(const QString& path);
    void SetBuffer(scriptgen::Lines lines);
    void ShowPage(QWidget* page);
    // Whether the settings can be compiled; if not, lists every problem in
    // one box and brings the first problem's box to the front.
    bool SettingsCompile(const scriptgen::ScriptSettings& settings);
    QWidget* ControlFor(scriptgen::Setting setting) const;

    // Settings files: the one shown in the caption, and the recent ones.
    void SaveSettingsTo(const QString& name, bool askBeforeReplacing);
    void SetSettingsFile(const QString& path);
    void RememberRecent(const QString& path);
    void UpdateRecentSettings();
    void OpenRecentSettings(const QString& path);

    bool activated_ = false;
    bool scriptCompiled_ = false;
    scriptgen::Lines buffer_;
    QString settingsFile_;

    QToolBar* ToolBar3 = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QToolButton* ToolButton5 = nullptr;
    QToolButton* ToolButton6 = nullptr;
    QAction* Action1 = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QMenu* RecentSettings1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    zestrel::ScriptSetupPage* TabSheet1 = nullptr;
    zestrel::EmailVariablesPage* TabSheet2 = nullptr;
    zestrel::DatabaseRecordsPage* TabSheet3 = nullptr;
    zestrel::ViewDatabaseRecordsPage* TabSheet4 = nullptr;
    zestrel::AlterDatabaseTablesPage* TabSheet5 = nullptr;
    std::vector<zestrel::SettingsPage*> pages_;
    QPlainTextEdit* Memo5 = nullptr;
    zestrel::SaveDialog* SaveDialog1 = nullptr;
    zestrel::OpenDialog* OpenDialog1 = nullptr;
    zestrel::SettingsDialog* settingsDialog_ = nullptr;

    // The entries "$" and a field name, listed by both value pickers.
    QStringListModel* fieldVariables_ = nullptr;
};
