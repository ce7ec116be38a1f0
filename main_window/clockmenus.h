#pragma once

class QAction;
class QMainWindow;

// The clock window's menu bar: three menus, "&File", "&Game" and "&Help", with their entries.
struct ClockMenus
{
    QAction* mnuFileSet = nullptr;
    QAction* mnuFileReset = nullptr;
    QAction* mnuFileExit = nullptr;
    QAction* mnuGameLeft = nullptr;
    QAction* mnuGameRight = nullptr;
    QAction* mnuGamePause = nullptr;
    QAction* mnuHelpGeneral = nullptr;
    QAction* mnuHelpAbout = nullptr;
};

// Builds the menus into the window's menu bar. Every entry carries its place in the menu
// definition as its data, as the design numbers them.
ClockMenus createMenus(QMainWindow& window);
