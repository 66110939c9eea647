// The main window's tool bar and menu: every command with its component
// name, caption and handler.
#include "core/textrules.h"
#include "mainwindow/controls.h"
#include "mainwindow/mainwindow.h"

#include <QAction>
#include <QFrame>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

using zestrel::Place;

namespace {

constexpr int kToolButtonWidth = 97;

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

    const QStringList fileItems = zestrel::WithAccelerators(
        {QStringLiteral("New Script"), QStringLiteral("Open Settings..."), QStringLiteral("Save Settings"),
            QStringLiteral("Save Settings As..."), QStringLiteral("Recent Settings"), QStringLiteral("Exit")});
    connect(addItem(File1, "NewScript1", fileItems[0]), &QAction::triggered, this, &TForm1::NewScript1Click);
    File1->addSeparator();
    connect(addItem(File1, "OpenSettings1", fileItems[1]), &QAction::triggered, this, &TForm1::OpenSettings1Click);
    connect(addItem(File1, "SaveSettings1", fileItems[2]), &QAction::triggered, this, &TForm1::SaveSettings1Click);
    connect(addItem(File1, "SaveSettingsAs1", fileItems[3]), &QAction::triggered, this, &TForm1::SaveSettingsAs1Click);
    RecentSettings1 = File1->addMenu(fileItems[4]);
    RecentSettings1->setObjectName(QStringLiteral("RecentSettings1"));
    RecentSettings1->setFont(font());
    // Another run of the program may have changed the list meanwhile.
    connect(File1, &QMenu::aboutToShow, this, &TForm1::UpdateRecentSettings);
    UpdateRecentSettings();
    File1->addSeparator();
    connect(addItem(File1, "Exit1", fileItems[5]), &QAction::triggered, this, &TForm1::Exit1Click);

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
