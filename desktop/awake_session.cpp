// The session bus's services that keep a desktop awake: GNOME's session manager, which GNOME asks
// before it blanks, locks or suspends an idle machine, and the freedesktop screen saver service
// that KDE Plasma, Xfce, LXQt and others offer. Each is asked where its name is on the bus, and
// again when it comes onto the bus or back after a restart while the hold lasts. Every call is
// asynchronous; a service forgets the holds of a program that leaves the bus, however it leaves.

#include "awakeways.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace {

// What the desktop may show of the hold (GNOME lists it, for one, when the user logs out).
constexpr char holdReason[] = "A chess clock is running";
// GNOME's flag for a hold against the session being marked idle.
constexpr quint32 inhibitIdle = 8;

struct Service
{
    const char* name;
    const char* path;
    const char* interface;
    const char* holdMethod;
    const char* releaseMethod;
};

constexpr Service gnomeSession{"org.gnome.SessionManager", "/org/gnome/SessionManager",
                               "org.gnome.SessionManager", "Inhibit", "Uninhibit"};
constexpr Service screenSaver{"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                              "org.freedesktop.ScreenSaver", "Inhibit", "UnInhibit"};

// One service's hold: asked for, granted (its cookie), or let go. A cookie that comes back after
// the hold was let go, or from a call to a service that has restarted since, is given back at once.
class ServiceHold : public QObject
{
public:
    ServiceHold(const QDBusConnection& bus, const Service& service,
                std::function<QVariantList()> holdArguments)
        : m_bus(bus), m_service(service), m_holdArguments(std::move(holdArguments)),
          m_watcher(QString::fromLatin1(service.name), bus,
                    QDBusServiceWatcher::WatchForRegistration)
    {
        connect(&m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
            // A new owner of the name knows nothing of the old one's holds, which went with it.
            m_cookie.reset();
            ++m_owner;
            if (m_held) {
                ask();
            }
        });
    }

    void setHeld(bool held)
    {
        m_held = held;
        if (held) {
            ask();
        } else if (m_cookie.has_value()) {
            release(*m_cookie);
            m_cookie.reset();
        }
    }

private:
    void ask()
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(m_service.name), QString::fromLatin1(m_service.path),
            QString::fromLatin1(m_service.interface), QString::fromLatin1(m_service.holdMethod));
        call.setArguments(m_holdArguments());
        const int askedAs = ++m_calls;
        const int owner = m_owner;
        auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
        connect(pending, &QDBusPendingCallWatcher::finished, this,
                [this, askedAs, owner](QDBusPendingCallWatcher* answered) {
                    answered->deleteLater();
                    const QDBusPendingReply<quint32> reply = *answered;
                    // No such service, or it refused: nothing is held there. A service that has
                    // gone since took its holds with it.
                    if (reply.isError() || owner != m_owner) {
                        return;
                    }
                    if (m_held && askedAs == m_calls) {
                        m_cookie = reply.value();
                    } else {
                        release(reply.value());
                    }
                });
    }

    void release(quint32 cookie)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(m_service.name), QString::fromLatin1(m_service.path),
            QString::fromLatin1(m_service.interface), QString::fromLatin1(m_service.releaseMethod));
        call << cookie;
        m_bus.send(call);
    }

    QDBusConnection m_bus;
    const Service& m_service;
    std::function<QVariantList()> m_holdArguments;
    QDBusServiceWatcher m_watcher;
    bool m_held = false;
    // Holds asked for, to tell a late answer from the latest one; owners of the name seen.
    int m_calls = 0;
    int m_owner = 0;
    std::optional<quint32> m_cookie;
};

class SessionBus final : public AwakeWay
{
public:
    SessionBus(const QDBusConnection& bus, QWidget& window)
        : m_gnome(
              bus, gnomeSession,
              [&window] {
                  // The window's X11 id lets GNOME show which window holds; elsewhere none.
                  const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
                  const auto xid = static_cast<quint32>(x11 ? window.winId() : 0);
                  return QVariantList{appId(), xid, QString::fromLatin1(holdReason), inhibitIdle};
              }),
          m_screenSaver(bus, screenSaver, [] {
              return QVariantList{appId(), QString::fromLatin1(holdReason)};
          })
    {}

    void setHeld(bool held) override
    {
        m_gnome.setHeld(held);
        m_screenSaver.setHeld(held);
    }

private:
    // The desktop's name for the program: its desktop entry's, or the program's name.
    static QString appId()
    {
        const QString desktopFile = QGuiApplication::desktopFileName();
        return desktopFile.isEmpty() ? QGuiApplication::applicationName() : desktopFile;
    }

    ServiceHold m_gnome;
    ServiceHold m_screenSaver;
};

} // namespace

std::unique_ptr<AwakeWay> sessionBusWay(QWidget& window)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return nullptr;
    }
    return std::make_unique<SessionBus>(bus, window);
}
