#include <appinfo.h>
#include <blockedwindows.h>
#include <designstyle.h>
#include <form1.h>
#include <heldkeys.h>

#include <QAccessible>
#include <QApplication>
#include <QGuiApplication>

#include <cstdio>
#include <thread>

namespace {

// Where a display is reached through X11 or Wayland, the toolkit aborts with a long message
// when there is none; one clear line is enough. Elsewhere (Windows, macOS) there is always one.
bool noDisplayToReach()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    return qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return false;
#endif
}

} // namespace

int main(int argc, char* argv[])
{
    if (noDisplayToReach()) {
        std::fputs("ostrevane: no display found (DISPLAY is not set); start it on a desktop.\n",
                   stderr);
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(appinfo::title));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(appinfo::versionMajor)
                                            .arg(appinfo::versionMinor)
                                            .arg(appinfo::versionRevision));
    // The program ends when the main window closes, and only then: it is hidden while the
    // settings dialog is up, and closing another window must not end the game behind it.
    QApplication::setQuitOnLastWindowClosed(false);
    // Lets the desktop match the window to its menu entry and icon (on Wayland in particular).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.ostrevane.Corvatine"));
    // A player who keeps Space down a moment too long still makes one move.
    heldkeys::actOncePerPress(app);
    // A click on a window behind an open message brings the message to the front.
    blockedwindows::bringMessageForward(app);

    // Reading the desktop's font configuration takes longer than building the window, which needs
    // no font before it measures its menu bar: so a second thread reads it meanwhile, and is done
    // before the window shows. It runs no handler and touches nothing of the program; the font
    // database is thread-safe, and the window waits for it where it needs it. The accessibility
    // bridge comes up first: where it finds no session bus it starts a helper program, which
    // should not compete with that thread.
    QAccessible::isActive();
    std::jthread fontReader(designstyle::prepareFonts);
    Form1 form;
    fontReader.join();
    form.show();
    return QApplication::exec();
}
