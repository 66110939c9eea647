#pragma once

#include "mainwindow/insertgrid.h"
#include "scriptgen/safe/check.h"
#include "scriptgen/settings.h"

#include <QMainWindow>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QStringListModel;
class QTabWidget;
class QToolBar;
class QToolButton;

namespace zestrel {
class CheckListModel;
class GridTableModel;
class GridView;
class LabeledEdit;
class OpenDialog;
class SaveDialog;
} // namespace zestrel

// The program's one main window: the settings of a script on five pages, the
// commands in the tool bar and the menu, and the compiled-script buffer.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Whether a compile has run since the start or the last New Script.
    bool ScriptCompiled() const { return scriptCompiled_; }
    // The compiled-script buffer, one entry per line.
    const scriptgen::Lines& ScriptBuffer() const { return buffer_; }
    const zestrel::InsertGrid& Grid() const { return grid_; }
    // The settings a compile would read right now.
    scriptgen::ScriptSettings CurrentSettings() const;

public slots:
    void FormActivate();
    void Memo1Change();
    void Button1Click();
    void Memo2Change();
    void StringGrid1Click();
    void ComboBox1Change();
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void CheckBox4Click();
    void CheckBox5Click();
    void CheckBox6Click();
    void CheckBox7Click();
    void Action1Execute();
    void ToolButton3Click();
    void NewScript1Click();
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
    void BuildScriptSetupPage();
    void BuildEmailVariablesPage();
    void BuildDatabaseRecordsPage();
    void BuildViewDatabaseRecordsPage();
    void BuildAlterDatabaseTablesPage();
    void ConnectHandlers();
    // The button, file drops and dialog that read the field list from a form.
    void SetUpFormReading();
    void ReadFormFile(const QString& path);
    void ShowGrid();
    void SetBuffer(scriptgen::Lines lines);
    void SetFieldVariables(const QStringList& entries);
    void ShowPage(QWidget* page);
    // Whether the settings give a working safe script; if not, lists every
    // problem in one box and brings the first problem's box to the front.
    bool SafeSettingsHold(const scriptgen::ScriptSettings& settings);
    QWidget* ControlFor(scriptgen::Box box) const;
    static void SetEnabled(std::initializer_list<QWidget*> controls, bool enabled);

    // Runs a handler body; an error it raises is shown in an error box and
    // the window goes on.
    template <typename Body> void Guard(Body&& body) noexcept;

    bool activated_ = false;
    bool scriptCompiled_ = false;
    scriptgen::Lines buffer_;
    zestrel::InsertGrid grid_;

    QToolBar* ToolBar3 = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QToolButton* ToolButton5 = nullptr;
    QToolButton* ToolButton6 = nullptr;
    QAction* Action1 = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet4 = nullptr;
    QWidget* TabSheet5 = nullptr;
    zestrel::SaveDialog* SaveDialog1 = nullptr;
    zestrel::OpenDialog* OpenDialog1 = nullptr;

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QPlainTextEdit* Memo3 = nullptr;
    QPlainTextEdit* Memo4 = nullptr;
    QPlainTextEdit* Memo5 = nullptr;
    QPlainTextEdit* Memo6 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QLineEdit* Edit11 = nullptr;
    QLineEdit* Edit12 = nullptr;
    QLineEdit* Edit13 = nullptr;
    QLineEdit* Edit14 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QCheckBox* CheckBox6 = nullptr;
    QCheckBox* CheckBox7 = nullptr;
    QCheckBox* CheckBox8 = nullptr;
    QListView* CheckListBox1 = nullptr;
    zestrel::LabeledEdit* LabeledEdit1 = nullptr;
    zestrel::LabeledEdit* LabeledEdit2 = nullptr;
    zestrel::GridView* StringGrid1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;

    zestrel::CheckListModel* checkListModel_ = nullptr;
    zestrel::GridTableModel* gridModel_ = nullptr;
    QStringListModel* fieldVariables_ = nullptr;
};
