#include "mainwindow/mainwindow.h"

#include "about/aboutwindow.h"
#include "help/helpwindow.h"
#include "mainwindow/controls.h"
#include "mainwindow/dialogs.h"
#include "mainwindow/guard.h"
#include "mainwindow/onlinecommand.h"
#include "mainwindow/scriptfile.h"
#include "mainwindow/textrules.h"
#include "mainwindow/widgets.h"
#include "scriptgen/compiler.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QIcon>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int kClientWidth = 537;
constexpr int kClientHeight = 441;

QStringList WithDollar(const QStringList& lines)
{
    QStringList entries;
    entries.reserve(lines.size());
    for (const QString& line : lines) {
        // Sized once: "$" + line would grow a one-character string.
        QString entry(line.size() + 1, Qt::Uninitialized);
        entry[0] = u'$';
        std::copy(line.cbegin(), line.cend(), entry.begin() + 1);
        entries.append(std::move(entry));
    }
    return entries;
}

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

scriptgen::Lines Utf8Lines(const QStringList& lines)
{
    scriptgen::Lines out;
    out.reserve(static_cast<std::size_t>(lines.size()));
    for (const QString& line : lines)
        out.push_back(line.toStdString());
    return out;
}

scriptgen::Lines MemoLines(const QPlainTextEdit* memo)
{
    return Utf8Lines(zestrel::LogicalLines(memo->toPlainText()));
}

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Zestrel PHP Script Creator"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
        Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/icons/zestrel.svg")));
    setFont(zestrel::DialogFont());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    SaveDialog1 = new zestrel::SaveDialog(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    checkListModel_ = new zestrel::CheckListModel(this);
    gridModel_ = new zestrel::GridTableModel(grid_, this);
    fieldVariables_ = new QStringListModel(this);

    BuildToolBar(client);
    PageControl1 = zestrel::Place(new QTabWidget(client), "PageControl1", {0, 32, 537, 409});
    BuildScriptSetupPage();
    BuildEmailVariablesPage();
    BuildDatabaseRecordsPage();
    BuildViewDatabaseRecordsPage();
    BuildAlterDatabaseTablesPage();
    PageControl1->setCurrentWidget(TabSheet1);

    Memo5 = zestrel::AddMemo(client, "Memo5", {0, 424, 537, 9}, false);
    Memo5->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo5->hide();

    BuildMenu();
    SetUpFormReading();
    ConnectHandlers();
    ShowGrid();

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    move(141, 53);
    // What the user types right after start goes into the field list.
    Memo1->setFocus();
}

TForm1::~TForm1() = default;

void TForm1::ConnectHandlers()
{
    connect(Memo1, &QPlainTextEdit::textChanged, this, &TForm1::Memo1Change);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Memo2, &QPlainTextEdit::textChanged, this, &TForm1::Memo2Change);
    connect(StringGrid1, &zestrel::GridView::cellChosen, this, [this](const QModelIndex& index) {
        grid_.selectCell(index.column(), index.row());
        StringGrid1Click();
    });
    connect(ComboBox1, &QComboBox::editTextChanged, this, &TForm1::ComboBox1Change);
    // Choosing an entry (mouse or Enter) fills the current value cell even
    // when the text was already the entry's, as after filling another row.
    connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    connect(CheckBox1, &QCheckBox::clicked, this, &TForm1::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TForm1::CheckBox2Click);
    connect(CheckBox3, &QCheckBox::clicked, this, &TForm1::CheckBox3Click);
    connect(CheckBox4, &QCheckBox::clicked, this, &TForm1::CheckBox4Click);
    connect(CheckBox5, &QCheckBox::clicked, this, &TForm1::CheckBox5Click);
    connect(CheckBox6, &QCheckBox::clicked, this, &TForm1::CheckBox6Click);
    connect(CheckBox7, &QCheckBox::clicked, this, &TForm1::CheckBox7Click);
    connect(Action1, &QAction::triggered, this, &TForm1::Action1Execute);
    connect(ToolButton3, &QToolButton::clicked, this, &TForm1::ToolButton3Click);
    connect(ToolButton5, &QToolButton::clicked, this, &TForm1::ToolButton5Click);
    connect(ToolButton6, &QToolButton::clicked, this, &TForm1::ToolButton6Click);
}

bool TForm1::event(QEvent* event)
{
    // The first-activation settings run once per run. They also run when the
    // window is shown without being made active (no window manager, focus
    // stealing prevention), so that no click can reach a control before them.
    const bool showsOrActivates = event->type() == QEvent::WindowActivate || event->type() == QEvent::Show;
    if (showsOrActivates && !activated_) {
        activated_ = true;
        FormActivate();
    }
    return QMainWindow::event(event);
}

void TForm1::ShowGrid()
{
    gridModel_->refresh();
    StringGrid1->selectionModel()->setCurrentIndex(
        gridModel_->index(grid_.currentRow(), grid_.currentColumn()), QItemSelectionModel::ClearAndSelect);
}

void TForm1::SetBuffer(scriptgen::Lines lines)
{
    buffer_ = std::move(lines);
    QStringList text;
    text.reserve(static_cast<qsizetype>(buffer_.size()));
    for (const std::string& line : buffer_)
        text.append(QString::fromStdString(line));
    Memo5->setPlainText(text.join(QLatin1Char('\n')));
}

void TForm1::SetFieldVariables(const QStringList& entries)
{
    // Replacing the lists must not change what the two boxes show.
    const QSignalBlocker block1(ComboBox1);
    const QSignalBlocker block2(ComboBox2);
    const QString text1 = ComboBox1->currentText();
    const QString text2 = ComboBox2->currentText();
    fieldVariables_->setStringList(entries);
    ComboBox1->setCurrentIndex(-1);
    ComboBox2->setCurrentIndex(-1);
    ComboBox1->setEditText(text1);
    ComboBox2->setEditText(text2);
}

void TForm1::ShowPage(QWidget* page)
{
    PageControl1->setCurrentWidget(page);
}

void TForm1::SetEnabled(std::initializer_list<QWidget*> controls, bool enabled)
{
    for (QWidget* control : controls)
        control->setEnabled(enabled);
}

scriptgen::ScriptSettings TForm1::CurrentSettings() const
{
    scriptgen::ScriptSettings s;
    s.target = CheckBox8->isChecked() ? scriptgen::Target::Safe : scriptgen::Target::Classic;
    s.fieldList = MemoLines(Memo1);
    s.useDatabase = CheckBox1->isChecked();
    s.sendMail = CheckBox2->isChecked();
    s.insertRecord = CheckBox3->isChecked();
    s.displayAll = CheckBox4->isChecked();
    s.displaySpecific = CheckBox5->isChecked();
    s.createTable = CheckBox6->isChecked();
    s.dropTable = CheckBox7->isChecked();

    s.host = Utf8(Edit1->text());
    s.userName = Utf8(Edit2->text());
    s.password = Utf8(Edit3->text());
    s.database = Utf8(Edit4->text());

    s.recipient = Utf8(Edit6->text());
    s.subject = Utf8(Edit7->text());
    s.sender = Utf8(Edit8->text());
    const QStringList& entries = checkListModel_->entries();
    s.mailVariables.reserve(static_cast<std::size_t>(entries.size()));
    for (int i = 0; i < entries.size(); ++i)
        s.mailVariables.push_back({Utf8(entries[i]), checkListModel_->isChecked(i)});
    s.successPage = Utf8(LabeledEdit1->text());
    s.failurePage = Utf8(LabeledEdit2->text());

    s.insertTable = Utf8(Edit9->text());
    s.insertFields = MemoLines(Memo2);
    s.insertValues = Utf8Lines(grid_.dataValues());

    s.displayAllTable = Utf8(Edit10->text());
    s.displayAllFields = MemoLines(Memo3);

    s.displaySpecificTable = Utf8(Edit11->text());
    s.whereField = Utf8(Edit12->text());
    s.whereValue = Utf8(ComboBox2->currentText());
    s.displaySpecificFields = MemoLines(Memo4);

    s.createTableName = Utf8(Edit13->text());
    s.createTableFields = MemoLines(Memo6);
    s.dropTableName = Utf8(Edit14->text());
    return s;
}

void TForm1::FormActivate()
{
    Guard([this] {
        grid_.resetColumn(zestrel::InsertGrid::kFieldColumn, QStringLiteral("Field"));
        grid_.resetColumn(zestrel::InsertGrid::kValueColumn, QStringLiteral("Variable / Value"));
        ShowGrid();
        SetEnabled(
            {Edit1, Edit2, Edit3, Edit4, Edit6, Edit7, Edit8, CheckListBox1, LabeledEdit1, LabeledEdit2, Edit9, Memo2,
                StringGrid1, ComboBox1, Edit10, Memo3, Edit11, Memo4, Edit12, Edit13, Edit14, Memo6, ComboBox2},
            false);
    });
}

void TForm1::Memo1Change()
{
    Guard([this] {
        const QStringList entries = WithDollar(zestrel::LogicalLines(Memo1->toPlainText()));
        checkListModel_->setEntries(entries);
        SetFieldVariables(entries);
    });
}

void TForm1::Memo2Change()
{
    Guard([this] {
        grid_.setFieldNames(zestrel::LogicalLines(Memo2->toPlainText()));
        ShowGrid();
    });
}

void TForm1::StringGrid1Click()
{
    Guard([this] { ComboBox1->setEnabled(grid_.currentColumn() == zestrel::InsertGrid::kValueColumn); });
}

void TForm1::ComboBox1Change()
{
    Guard([this] {
        grid_.setCurrentValue(ComboBox1->currentText());
        const QModelIndex value = gridModel_->index(grid_.currentRow(), zestrel::InsertGrid::kValueColumn);
        emit gridModel_->dataChanged(value, value, {Qt::DisplayRole});
    });
}

void TForm1::CheckBox1Click()
{
    Guard([this] { SetEnabled({Edit1, Edit2, Edit3, Edit4}, CheckBox1->isChecked()); });
}

void TForm1::CheckBox2Click()
{
    Guard([this] {
        SetEnabled({Edit6, Edit7, Edit8, CheckListBox1, LabeledEdit1, LabeledEdit2}, CheckBox2->isChecked());
    });
}

void TForm1::CheckBox3Click()
{
    Guard([this] { SetEnabled({Edit9, Memo2, StringGrid1, ComboBox1}, CheckBox3->isChecked()); });
}

void TForm1::CheckBox4Click()
{
    Guard([this] { SetEnabled({Edit10, Memo3}, CheckBox4->isChecked()); });
}

void TForm1::CheckBox5Click()
{
    Guard([this] { SetEnabled({Edit11, Memo4, Edit12, ComboBox2}, CheckBox5->isChecked()); });
}

void TForm1::CheckBox6Click()
{
    Guard([this] { SetEnabled({Edit13, Memo6}, CheckBox6->isChecked()); });
}

void TForm1::CheckBox7Click()
{
    Guard([this] { SetEnabled({Edit14}, CheckBox7->isChecked()); });
}

void TForm1::Action1Execute()
{
    Guard([this] {
        const scriptgen::ScriptSettings settings = CurrentSettings();
        if (settings.target == scriptgen::Target::Safe && !SafeSettingsHold(settings))
            return;
        SetBuffer(scriptgen::CompileScript(settings));
        zestrel::MessageBoxes::information(zestrel::ApplicationTitle(), QStringLiteral("Script Successfully compiled!"),
            [this] { return Memo5->toPlainText(); });
        scriptCompiled_ = true;
    });
}

void TForm1::ToolButton3Click()
{
    Guard([this] {
        if (!scriptCompiled_) {
            zestrel::MessageBoxes::information(
                zestrel::ApplicationTitle(), QStringLiteral("Compile script before saving!"));
            return;
        }
        const QString chosen = SaveDialog1->execute(this);
        if (chosen.isEmpty())
            return;
        const QString name = zestrel::ScriptFileName(chosen);
        // Whatever stands at the name is replaced only after a Yes, also when
        // it appeared while the file was being written.
        for (;;) {
            const zestrel::SaveTarget target = zestrel::InspectSaveTarget(name);
            if (target.exists &&
                zestrel::MessageBoxes::confirm(QStringLiteral("File already Exists. Overwrite File?")) !=
                    QMessageBox::Yes)
                return;
            if (zestrel::WriteScriptFile(target, buffer_))
                return;
        }
    });
}

void TForm1::NewScript1Click()
{
    Guard([this] {
        {
            const QSignalBlocker block1(Memo1);
            const QSignalBlocker block2(Memo2);
            for (QPlainTextEdit* memo : {Memo1, Memo2, Memo3, Memo4})
                memo->clear();
            SetBuffer({});
            Memo6->clear();
        }
        for (QLineEdit* edit :
            {Edit1, Edit2, Edit3, Edit4, Edit6, Edit7, Edit8, Edit9, Edit10, Edit11, Edit12, Edit13, Edit14})
            edit->clear();
        {
            const QSignalBlocker block1(ComboBox1);
            const QSignalBlocker block2(ComboBox2);
            fieldVariables_->setStringList({});
            ComboBox1->setEditText(QString());
            ComboBox2->setEditText(QString());
        }
        checkListModel_->setEntries({});
        Memo2->setPlainText(QStringLiteral("\n"));
        ShowPage(TabSheet1);
        // The buffer is empty now: saving must wait for the next compile
        // instead of writing an empty file.
        scriptCompiled_ = false;
    });
}

void TForm1::Exit1Click()
{
    Guard([this] { close(); });
}

void TForm1::ScriptSetup1Click()
{
    Guard([this] { ShowPage(TabSheet1); });
}

void TForm1::EmailVariables1Click()
{
    Guard([this] { ShowPage(TabSheet2); });
}

void TForm1::DatabaseRecords1Click()
{
    Guard([this] { ShowPage(TabSheet3); });
}

void TForm1::ViewDatabaseRecords1Click()
{
    Guard([this] { ShowPage(TabSheet4); });
}

void TForm1::AlterDatabaseRecords1Click()
{
    Guard([this] { ShowPage(TabSheet5); });
}

void TForm1::ToolButton5Click()
{
    Guard([this] { ShowHelp(this); });
}

void TForm1::HelpContents1Click()
{
    Guard([this] { ShowHelp(this); });
}

void TForm1::ToolButton6Click()
{
    Guard([this] { zestrel::OpenWebSiteOrShowAddress(this); });
}

void TForm1::VORTEQOnline1Click()
{
    Guard([this] { zestrel::OpenWebSiteOrShowAddress(this); });
}

void TForm1::About1Click()
{
    Guard([this] { ShowAbout(this); });
}
