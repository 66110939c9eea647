// Construction of the main window's tool bar, menu and five pages: every
// control with its component name, bounds, default text and focus order.
#include "mainwindow/checklistbox.h"
#include "mainwindow/controls.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/textrules.h"
#include "mainwindow/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

using zestrel::AddCheckBox;
using zestrel::AddComboBox;
using zestrel::AddEdit;
using zestrel::AddGroupBox;
using zestrel::AddLabel;
using zestrel::AddMemo;
using zestrel::Place;
using zestrel::SetTabOrder;

namespace {

constexpr int kToolButtonWidth = 97;
constexpr int kGridColumnWidth = 232;
constexpr int kGridRowHeight = 16;
const QColor kMaroon(0x80, 0x00, 0x00);

} // namespace

void TForm1::BuildToolBar(QWidget* client)
{
    ToolBar3 = Place(new QToolBar(client), "ToolBar3", {0, 0, 513, 33});
    ToolBar3->setMovable(false);
    ToolBar3->setFloatable(false);
    ToolBar3->setIconSize({16, 16});
    ToolBar3->setContentsMargins(0, 0, 0, 0);
    ToolBar3->layout()->setContentsMargins(0, 0, 0, 0);
    ToolBar3->layout()->setSpacing(0);

    Action1 = new QAction(QStringLiteral("Action1"), this);
    Action1->setObjectName(QStringLiteral("Action1"));
    Action1->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));

    const auto addButton = [this](const char* name, QStyle::StandardPixmap picture, const QString& caption) {
        auto* button = new QToolButton(ToolBar3);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedWidth(kToolButtonWidth);
        button->setIcon(style()->standardIcon(picture));
        button->setText(caption);
        ToolBar3->addWidget(button);
        return button;
    };
    ToolButton2 = addButton("ToolButton2", QStyle::SP_MediaPlay, {});
    // The tool button shows the action's icon text; set it explicitly so the
    // caption keeps its trailing blank.
    Action1->setIconText(QStringLiteral("Compile Script "));
    ToolButton2->setDefaultAction(Action1);
    ToolButton3 = addButton("ToolButton3", QStyle::SP_DialogSaveButton, QStringLiteral("Save Script"));
    auto* separator = new QFrame(ToolBar3);
    separator->setObjectName(QStringLiteral("ToolButton4"));
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setFixedWidth(8);
    ToolBar3->addWidget(separator);
    ToolButton5 = addButton("ToolButton5", QStyle::SP_MessageBoxQuestion, QStringLiteral("Help"));
    ToolButton6 = addButton("ToolButton6", QStyle::SP_DriveNetIcon, QStringLiteral("Online"));
}

void TForm1::BuildMenu()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(MainMenu1);

    // Qt adds no accelerator letters by itself, so every caption gets one
    // here, distinct within its menu.
    const auto addMenu = [this](const char* name, const QString& title) {
        auto* menu = new QMenu(title, MainMenu1);
        menu->setObjectName(QString::fromLatin1(name));
        // A menu opens as a window of its own, which would otherwise take
        // the application's wider font instead of the window's.
        menu->setFont(font());
        MainMenu1->addMenu(menu);
        return menu;
    };
    const auto addItem = [this](QMenu* menu, const char* name, const QString& caption) {
        auto* item = new QAction(caption, this);
        item->setObjectName(QString::fromLatin1(name));
        menu->addAction(item);
        return item;
    };
    const QStringList menus =
        zestrel::WithAccelerators({QStringLiteral("File"), QStringLiteral("Edit"), QStringLiteral("Help")});
    QMenu* File1 = addMenu("File1", menus[0]);
    QMenu* Edit5 = addMenu("Edit5", menus[1]);
    QMenu* Help1 = addMenu("Help1", menus[2]);

    const QStringList fileItems = zestrel::WithAccelerators({QStringLiteral("New Script"), QStringLiteral("Exit")});
    connect(addItem(File1, "NewScript1", fileItems[0]), &QAction::triggered, this, &TForm1::NewScript1Click);
    connect(addItem(File1, "Exit1", fileItems[1]), &QAction::triggered, this, &TForm1::Exit1Click);

    const QStringList editItems = zestrel::WithAccelerators({QStringLiteral("Compile Script "),
        QStringLiteral("Script Setup"), QStringLiteral("Email Variables"), QStringLiteral("Database Records"),
        QStringLiteral("View Database Records"), QStringLiteral("Alter Database Records")});
    // The menu item shows its own caption and runs the shared action.
    QAction* CompileScript1 = addItem(Edit5, "CompileScript1", editItems[0]);
    CompileScript1->setIcon(Action1->icon());
    connect(CompileScript1, &QAction::triggered, Action1, &QAction::trigger);
    connect(Action1, &QAction::enabledChanged, CompileScript1, &QAction::setEnabled);
    connect(addItem(Edit5, "ScriptSetup1", editItems[1]), &QAction::triggered, this, &TForm1::ScriptSetup1Click);
    connect(addItem(Edit5, "EmailVariables1", editItems[2]), &QAction::triggered, this, &TForm1::EmailVariables1Click);
    connect(
        addItem(Edit5, "DatabaseRecords1", editItems[3]), &QAction::triggered, this, &TForm1::DatabaseRecords1Click);
    connect(addItem(Edit5, "ViewDatabaseRecords1", editItems[4]), &QAction::triggered, this,
        &TForm1::ViewDatabaseRecords1Click);
    connect(addItem(Edit5, "AlterDatabaseRecords1", editItems[5]), &QAction::triggered, this,
        &TForm1::AlterDatabaseRecords1Click);

    const QStringList helpItems = zestrel::WithAccelerators(
        {QStringLiteral("Help Contents"), QStringLiteral("VORTEQ Online"), QStringLiteral("About")});
    connect(addItem(Help1, "HelpContents1", helpItems[0]), &QAction::triggered, this, &TForm1::HelpContents1Click);
    connect(addItem(Help1, "VORTEQOnline1", helpItems[1]), &QAction::triggered, this, &TForm1::VORTEQOnline1Click);
    connect(addItem(Help1, "About1", helpItems[2]), &QAction::triggered, this, &TForm1::About1Click);
}

void TForm1::BuildScriptSetupPage()
{
    TabSheet1 = new QWidget(PageControl1);
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Script Setup"));

    auto* GroupBox1 = AddGroupBox(TabSheet1, "GroupBox1", {8, 16, 513, 153}, QStringLiteral("Enter Variables"));
    AddLabel(GroupBox1, "Label1", {24, 24, 42, 13}, QStringLiteral("example:"));
    auto* Label2 = AddLabel(
        GroupBox1, "Label2", {72, 24, 248, 13}, QStringLiteral("<input name=\"FIELD_NAME\" type=\"text\" value=\"\">"));
    Label2->setTextFormat(Qt::PlainText);
    QPalette maroon = Label2->palette();
    maroon.setColor(QPalette::WindowText, kMaroon);
    Label2->setPalette(maroon);
    AddLabel(GroupBox1, "Label3", {328, 24, 50, 13}, QStringLiteral("Variable = "));
    auto* Label4 = AddLabel(GroupBox1, "Label4", {384, 24, 78, 13}, QStringLiteral("FIELD_NAME"));
    Label4->setPalette(maroon);
    QFont bold = Label4->font();
    bold.setBold(true);
    Label4->setFont(bold);
    Memo1 = AddMemo(GroupBox1, "Memo1", {24, 48, 321, 81}, true);
    Button1 = Place(new QPushButton(QStringLiteral("Read Form..."), GroupBox1), "Button1", {360, 48, 89, 25});

    CheckBox1 = AddCheckBox(TabSheet1, "CheckBox1", {8, 192, 137, 17}, QStringLiteral("Use a MySql Database"));

    auto* GroupBox3 = AddGroupBox(TabSheet1, "GroupBox3", {8, 224, 513, 57}, QStringLiteral("MySql Connection"));
    AddLabel(GroupBox3, "Label5", {8, 32, 25, 13}, QStringLiteral("Host:"));
    Edit1 = AddEdit(GroupBox3, "Edit1", {40, 24, 89, 21}, QStringLiteral("localhost"));
    AddLabel(GroupBox3, "Label6", {144, 32, 51, 13}, QStringLiteral("Username:"));
    Edit2 = AddEdit(GroupBox3, "Edit2", {200, 24, 121, 21});
    AddLabel(GroupBox3, "Label7", {328, 32, 49, 13}, QStringLiteral("Password:"));
    Edit3 = AddEdit(GroupBox3, "Edit3", {384, 24, 121, 21});

    auto* GroupBox2 = AddGroupBox(TabSheet1, "GroupBox2", {8, 296, 513, 57}, QStringLiteral("Database"));
    AddLabel(GroupBox2, "Label8", {136, 32, 80, 13}, QStringLiteral("Database Name:"));
    Edit4 = AddEdit(GroupBox2, "Edit4", {224, 24, 145, 21});

    CheckBox8 =
        AddCheckBox(TabSheet1, "CheckBox8", {8, 360, 233, 17}, QStringLiteral("Safe script for PHP 8 (mysqli)"));
    CheckBox8->setToolTip(QStringLiteral(
        "Compile a script for PHP 8.1 or later with mysqli that treats everything a visitor sends as data: prepared "
        "statements, escaped pages, mail headers without line breaks, and changes only by a post from your own "
        "site."));

    SetTabOrder({Memo1, Button1, Edit4, Edit1, Edit2, Edit3, CheckBox1, CheckBox8});
}

void TForm1::BuildEmailVariablesPage()
{
    TabSheet2 = new QWidget(PageControl1);
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Email Variables"));

    CheckBox2 = AddCheckBox(TabSheet2, "CheckBox2", {8, 8, 177, 17}, QStringLiteral("Send variables via email"));

    auto* GroupBox5 = AddGroupBox(TabSheet2, "GroupBox5", {8, 32, 497, 129}, QStringLiteral("Email Properties"));
    AddLabel(GroupBox5, "Label9", {8, 32, 82, 13}, QStringLiteral("Recipient's email:"));
    Edit6 = AddEdit(GroupBox5, "Edit6", {96, 24, 209, 21}, QStringLiteral("you@example.com"));
    AddLabel(GroupBox5, "Label10", {48, 64, 42, 13}, QStringLiteral(" Subject:"));
    Edit7 = AddEdit(GroupBox5, "Edit7", {96, 56, 209, 21});
    AddLabel(GroupBox5, "Label11", {64, 96, 26, 13}, QStringLiteral("From:"));
    Edit8 = AddEdit(GroupBox5, "Edit8", {96, 88, 209, 21});

    auto* GroupBox4 =
        AddGroupBox(TabSheet2, "GroupBox4", {8, 168, 497, 129}, QStringLiteral("Select variables to email"));
    CheckListBox1 = Place(new zestrel::CheckListBox(GroupBox4), "CheckListBox1", {8, 24, 401, 97});
    CheckListBox1->setModel(checkListModel_);
    CheckListBox1->setUniformItemSizes(true);
    CheckListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* GroupBox6 = AddGroupBox(TabSheet2, "GroupBox6", {8, 304, 497, 65}, QStringLiteral("Result Pages"));
    LabeledEdit1 = new zestrel::LabeledEdit(QStringLiteral("Success Page:"), GroupBox6);
    Place(LabeledEdit1, "LabeledEdit1", {8, 32, 225, 21})->setText(QStringLiteral("http://"));
    LabeledEdit2 = new zestrel::LabeledEdit(QStringLiteral("Failure Page:"), GroupBox6);
    Place(LabeledEdit2, "LabeledEdit2", {248, 32, 241, 21})->setText(QStringLiteral("http://"));

    SetTabOrder({CheckListBox1, Edit6, Edit7, Edit8, LabeledEdit1, LabeledEdit2, CheckBox2});
}

void TForm1::BuildDatabaseRecordsPage()
{
    TabSheet3 = new QWidget(PageControl1);
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Database Records"));

    CheckBox3 = AddCheckBox(TabSheet3, "CheckBox3", {8, 8, 145, 17}, QStringLiteral("Use 'Database Records'"));

    auto* GroupBox7 = AddGroupBox(TabSheet3, "GroupBox7", {8, 32, 505, 281}, QStringLiteral("Insert Records"));
    AddLabel(GroupBox7, "Label12", {8, 32, 79, 13}, QStringLiteral("Insert into Table:"));
    Edit9 = AddEdit(GroupBox7, "Edit9", {104, 24, 273, 21});
    AddLabel(GroupBox7, "Label13", {24, 80, 60, 13}, QStringLiteral("Table Fields:"));
    Memo2 = AddMemo(GroupBox7, "Memo2", {104, 56, 273, 65}, true);

    StringGrid1 = Place(new zestrel::GridView(GroupBox7), "StringGrid1", {8, 136, 489, 97});
    StringGrid1->setModel(gridModel_);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setMinimumSectionSize(1);
    StringGrid1->horizontalHeader()->setDefaultSectionSize(kGridColumnWidth);
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->setShowGrid(true);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setWordWrap(false);
    StringGrid1->setTabKeyNavigation(false);

    AddLabel(GroupBox7, "Label14", {8, 256, 79, 13}, QStringLiteral("Variable / Value:"));
    ComboBox1 = AddComboBox(GroupBox7, "ComboBox1", {104, 248, 177, 21}, QStringLiteral("Value"), fieldVariables_);

    SetTabOrder({Edit9, Memo2, StringGrid1, ComboBox1, CheckBox3});
}

void TForm1::BuildViewDatabaseRecordsPage()
{
    TabSheet4 = new QWidget(PageControl1);
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    PageControl1->addTab(TabSheet4, QStringLiteral("View Database Records"));

    CheckBox4 = AddCheckBox(TabSheet4, "CheckBox4", {8, 8, 145, 17}, QStringLiteral("Display All Records"));
    auto* GroupBox8 = AddGroupBox(TabSheet4, "GroupBox8", {8, 32, 505, 137}, QStringLiteral("Display All Records"));
    AddLabel(GroupBox8, "Label15", {8, 32, 90, 13}, QStringLiteral("Display from Table:"));
    Edit10 = AddEdit(GroupBox8, "Edit10", {112, 24, 217, 21});
    AddLabel(GroupBox8, "Label16", {16, 80, 77, 13}, QStringLiteral("Fields to display:"));
    Memo3 = AddMemo(GroupBox8, "Memo3", {112, 56, 217, 73}, false);

    CheckBox5 = AddCheckBox(TabSheet4, "CheckBox5", {8, 176, 161, 17}, QStringLiteral("Display Specific Records"));
    auto* GroupBox9 =
        AddGroupBox(TabSheet4, "GroupBox9", {8, 200, 505, 177}, QStringLiteral("Display Specific Records"));
    AddLabel(GroupBox9, "Label17", {16, 32, 90, 13}, QStringLiteral("Display from Table:"));
    Edit11 = AddEdit(GroupBox9, "Edit11", {120, 24, 217, 21});
    AddLabel(GroupBox9, "Label18", {48, 64, 60, 13}, QStringLiteral("Where Field:"));
    Edit12 = AddEdit(GroupBox9, "Edit12", {120, 56, 121, 21}, QStringLiteral("Enter Field's Name"));
    AddLabel(GroupBox9, "Label19", {248, 56, 6, 13}, QStringLiteral("="));
    ComboBox2 = AddComboBox(
        GroupBox9, "ComboBox2", {264, 56, 145, 21}, QStringLiteral("Enter / Select Value"), fieldVariables_);
    AddLabel(GroupBox9, "Label20", {24, 112, 83, 13}, QStringLiteral("Fields To Display:"));
    Memo4 = AddMemo(GroupBox9, "Memo4", {120, 88, 217, 73}, false);

    SetTabOrder({Edit10, Memo3, Edit11, Edit12, ComboBox2, Memo4, CheckBox4, CheckBox5});
}

void TForm1::BuildAlterDatabaseTablesPage()
{
    TabSheet5 = new QWidget(PageControl1);
    TabSheet5->setObjectName(QStringLiteral("TabSheet5"));
    PageControl1->addTab(TabSheet5, QStringLiteral("Alter Database Tables"));

    CheckBox6 = AddCheckBox(TabSheet5, "CheckBox6", {8, 8, 161, 17}, QStringLiteral("Create a new database table"));
    auto* GroupBox10 = AddGroupBox(TabSheet5, "GroupBox10", {8, 40, 513, 169}, QStringLiteral("New Database Table"));
    AddLabel(GroupBox10, "Label21", {16, 32, 59, 13}, QStringLiteral("Table name:"));
    Edit13 = AddEdit(GroupBox10, "Edit13", {88, 24, 209, 21});
    AddLabel(GroupBox10, "Label22", {48, 104, 30, 13}, QStringLiteral("Fields:"));
    Memo6 = AddMemo(GroupBox10, "Memo6", {88, 64, 209, 89}, true);

    CheckBox7 = AddCheckBox(TabSheet5, "CheckBox7", {8, 224, 153, 17}, QStringLiteral("Delete an existing Table"));
    auto* GroupBox11 = AddGroupBox(TabSheet5, "GroupBox11", {8, 256, 513, 57}, QStringLiteral("Delete Table"));
    AddLabel(GroupBox11, "Label23", {120, 32, 61, 13}, QStringLiteral("Table Name:"));
    Edit14 = AddEdit(GroupBox11, "Edit14", {192, 24, 185, 21});

    SetTabOrder({Edit13, Memo6, CheckBox6, CheckBox7, Edit14});
}
