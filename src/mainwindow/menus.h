#pragma once

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;
class QWidget;

namespace zestrel {

// The window's commands, each with its component name and caption: the tool
// bar's buttons and the menus' items. The window connects them to its
// handlers.
struct Commands {
    QToolBar* toolBar = nullptr;
    QAction* compile = nullptr; // Action1, run by the tool button and the menu item
    QToolButton* compileButton = nullptr;
    QToolButton* saveScriptButton = nullptr;
    QToolButton* helpButton = nullptr;
    QToolButton* onlineButton = nullptr;

    QMenu* fileMenu = nullptr;
    QAction* newScript = nullptr;
    QAction* openSettings = nullptr;
    QAction* saveSettings = nullptr;
    QAction* saveSettingsAs = nullptr;
    QMenu* recentSettings = nullptr;
    QAction* exit = nullptr;

    QAction* scriptSetup = nullptr;
    QAction* emailVariables = nullptr;
    QAction* databaseRecords = nullptr;
    QAction* viewDatabaseRecords = nullptr;
    QAction* alterDatabaseRecords = nullptr;

    QAction* helpContents = nullptr;
    QAction* online = nullptr;
    QAction* about = nullptr;
};

// Makes the tool bar at the top of `client` and the window's menu bar.
Commands BuildCommands(QMainWindow* window, QWidget* client);

} // namespace zestrel
