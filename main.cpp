#include <appinfo.h>
#include <form1.h>

#include <QApplication>
#include <QGuiApplication>

#include <cstdio>

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

    Form1 form;
    form.show();
    return QApplication::exec();
}
