#include "clockmenus.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>

namespace {

struct Entry
{
    QAction*& action;
    const char* name;
    int index;
    const char* caption;
    QKeySequence shortcut;
};

QMenu* addMenu(QMainWindow& window, const char* name, int index, const char* caption)
{
    QMenu* menu = window.menuBar()->addMenu(QString::fromLatin1(caption));
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setData(index);
    return menu;
}

void addEntries(QMainWindow& window, QMenu* menu, std::initializer_list<Entry> entries)
{
    for (const Entry& entry : entries) {
        auto* action = new QAction(QString::fromLatin1(entry.caption), &window);
        action->setObjectName(QString::fromLatin1(entry.name));
        action->setData(entry.index);
        action->setShortcut(entry.shortcut);
        // Every entry is a single command: a shortcut held down runs it once.
        action->setAutoRepeat(false);
        menu->addAction(action);
        entry.action = action;
    }
}

QKeySequence ctrl(Qt::Key key)
{
    return QKeySequence(Qt::CTRL | key);
}

} // namespace

ClockMenus createMenus(QMainWindow& window)
{
    ClockMenus menus;
    addEntries(window, addMenu(window, "mnuFileMain", 1, "&File"),
               {{menus.mnuFileSet, "mnuFileSet", 2, "Set time", ctrl(Qt::Key_S)},
                {menus.mnuFileReset, "mnuFileReset", 3, "Reset game", ctrl(Qt::Key_R)},
                {menus.mnuFileExit, "mnuFileExit", 4, "Exit", ctrl(Qt::Key_X)}});
    addEntries(window, addMenu(window, "mnuGameMain", 5, "&Game"),
               {{menus.mnuGameLeft, "mnuGameLeft", 6, "Left Player's Move", ctrl(Qt::Key_L)},
                {menus.mnuGameRight, "mnuGameRight", 7, "Right Player's Move", ctrl(Qt::Key_I)},
                {menus.mnuGamePause, "mnuGamePause", 8, "Pause", ctrl(Qt::Key_P)}});
    addEntries(window, addMenu(window, "mnuHelpMain", 9, "&Help"),
               {{menus.mnuHelpGeneral, "mnuHelpGeneral", 10, "General help", ctrl(Qt::Key_H)},
                {menus.mnuHelpAbout, "mnuHelpAbout", 11, "About", QKeySequence()}});
    return menus;
}
