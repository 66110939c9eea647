// The main window's tool bar and menu: every command with its component
// name and caption.
#include "mainwindow/menus.h"

#include "core/textrules.h"
#include "mainwindow/controls.h"

#include <QAction>
#include <QFrame>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace zestrel {

namespace {

constexpr int kToolButtonWidth = 97;

void BuildToolBar(QMainWindow* window, QWidget* client, Commands& c)
{
    QToolBar* ToolBar3 = c.toolBar = Place(new QToolBar(client), "ToolBar3", {0, 0, 513, 33});
    ToolBar3->setMovable(false);
    ToolBar3->setFloatable(false);
    ToolBar3->setIconSize({16, 16});
    ToolBar3->setContentsMargins(0, 0, 0, 0);
    ToolBar3->layout()->setContentsMargins(0, 0, 0, 0);
    ToolBar3->layout()->setSpacing(0);

    QAction* Action1 = c.compile = new QAction(QStringLiteral("Action1"), window);
    Action1->setObjectName(QStringLiteral("Action1"));
    Action1->setIcon(window->style()->standardIcon(QStyle::SP_MediaPlay));

    const auto addButton = [window, ToolBar3](const char* name, QStyle::StandardPixmap picture, const QString& caption,
                               const char* does) {
        auto* button = new QToolButton(ToolBar3);
        button->setObjectName(QString::fromLatin1(name));
        // What a screen reader says the button does; without it, it would
        // read the action's component name.
        button->setAccessibleDescription(QString::fromUtf8(does));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedWidth(kToolButtonWidth);
        button->setIcon(window->style()->standardIcon(picture));
        button->setText(caption);
        ToolBar3->addWidget(button);
        return button;
    };
    QToolButton* ToolButton2 = c.compileButton =
        addButton("ToolButton2", QStyle::SP_MediaPlay, {}, "Assembles the script from the settings on the five pages");
    // The tool button shows the action's icon text; set it explicitly so the
    // caption keeps its trailing blank.
    Action1->setIconText(QStringLiteral("Compile Script "));
    ToolButton2->setDefaultAction(Action1);
    c.saveScriptButton = addButton("ToolButton3", QStyle::SP_DialogSaveButton, QStringLiteral("Save Script"),
        "Writes the compiled script to a file");
    auto* separator = new QFrame(ToolBar3);
    separator->setObjectName(QStringLiteral("ToolButton4"));
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setFixedWidth(8);
    ToolBar3->addWidget(separator);
    c.helpButton = addButton("ToolButton5", QStyle::SP_MessageBoxQuestion, QStringLiteral("Help"), "Opens the help");
    c.onlineButton = addButton(
        "ToolButton6", QStyle::SP_DriveNetIcon, QStringLiteral("Online"), "Opens the maker's web site in your browser");
}

void BuildMenu(QMainWindow* window, Commands& c)
{
    auto* MainMenu1 = new QMenuBar(window);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    window->setMenuBar(MainMenu1);

    // Qt adds no accelerator letters by itself, so every caption gets one
    // here, distinct within its menu.
    const auto addMenu = [window, MainMenu1](const char* name, const QString& title) {
        auto* menu = new QMenu(title, MainMenu1);
        menu->setObjectName(QString::fromLatin1(name));
        // A menu opens as a window of its own, which would otherwise take
        // the application's wider font instead of the window's.
        menu->setFont(window->font());
        MainMenu1->addMenu(menu);
        return menu;
    };
    const auto addItem = [window](QMenu* menu, const char* name, const QString& caption) {
        auto* item = new QAction(caption, window);
        item->setObjectName(QString::fromLatin1(name));
        menu->addAction(item);
        return item;
    };
    const QStringList menus =
        WithAccelerators({QStringLiteral("File"), QStringLiteral("Edit"), QStringLiteral("Help")});
    QMenu* File1 = c.fileMenu = addMenu("File1", menus[0]);
    QMenu* Edit5 = addMenu("Edit5", menus[1]);
    QMenu* Help1 = addMenu("Help1", menus[2]);

    const QStringList fileItems = WithAccelerators(
        {QStringLiteral("New Script"), QStringLiteral("Open Settings..."), QStringLiteral("Save Settings"),
            QStringLiteral("Save Settings As..."), QStringLiteral("Recent Settings"), QStringLiteral("Exit")});
    c.newScript = addItem(File1, "NewScript1", fileItems[0]);
    File1->addSeparator();
    c.openSettings = addItem(File1, "OpenSettings1", fileItems[1]);
    c.saveSettings = addItem(File1, "SaveSettings1", fileItems[2]);
    c.saveSettingsAs = addItem(File1, "SaveSettingsAs1", fileItems[3]);
    // The desktop's usual keys for the settings files.
    c.openSettings->setShortcut(QKeySequence::Open);
    c.saveSettings->setShortcut(QKeySequence::Save);
    c.saveSettingsAs->setShortcut(QKeySequence::SaveAs);
    c.recentSettings = File1->addMenu(fileItems[4]);
    c.recentSettings->setObjectName(QStringLiteral("RecentSettings1"));
    c.recentSettings->setFont(window->font());
    File1->addSeparator();
    c.exit = addItem(File1, "Exit1", fileItems[5]);

    const QStringList editItems = WithAccelerators({QStringLiteral("Compile Script "), QStringLiteral("Script Setup"),
        QStringLiteral("Email Variables"), QStringLiteral("Database Records"), QStringLiteral("View Database Records"),
        QStringLiteral("Alter Database Records")});
    // The menu item shows its own caption and runs the shared action.
    QAction* CompileScript1 = addItem(Edit5, "CompileScript1", editItems[0]);
    CompileScript1->setIcon(c.compile->icon());
    QObject::connect(CompileScript1, &QAction::triggered, c.compile, &QAction::trigger);
    QObject::connect(c.compile, &QAction::enabledChanged, CompileScript1, &QAction::setEnabled);
    c.scriptSetup = addItem(Edit5, "ScriptSetup1", editItems[1]);
    c.emailVariables = addItem(Edit5, "EmailVariables1", editItems[2]);
    c.databaseRecords = addItem(Edit5, "DatabaseRecords1", editItems[3]);
    c.viewDatabaseRecords = addItem(Edit5, "ViewDatabaseRecords1", editItems[4]);
    c.alterDatabaseRecords = addItem(Edit5, "AlterDatabaseRecords1", editItems[5]);

    const QStringList helpItems =
        WithAccelerators({QStringLiteral("Help Contents"), QStringLiteral("VORTEQ Online"), QStringLiteral("About")});
    c.helpContents = addItem(Help1, "HelpContents1", helpItems[0]);
    c.online = addItem(Help1, "VORTEQOnline1", helpItems[1]);
    c.about = addItem(Help1, "About1", helpItems[2]);
}

} // namespace

Commands BuildCommands(QMainWindow* window, QWidget* client)
{
    Commands commands;
    BuildToolBar(window, client, commands);
    BuildMenu(window, commands);
    return commands;
}

} // namespace zestrel
