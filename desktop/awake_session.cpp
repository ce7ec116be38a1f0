// The session bus's services that keep a desktop awake: GNOME's session manager, which GNOME asks
// before it blanks, locks or suspends an idle machine, and the freedesktop screen saver service
// that KDE Plasma, Xfce, LXQt and others offer. A hold is a cookie that one process on the bus
// granted: it is kept with that process's unique name and given back to that process alone, never
// to whoever owns the service's name by then, and never in a way that could start a service. The
// name's owner is followed through every change (gone, new, replaced), and a new owner is asked
// while the hold lasts. Every call is asynchronous; a service forgets the holds of a program that
// leaves the bus, however it leaves.

#include "awakeways.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QWidget>

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

// One service's hold. At most one call to the service is on its way, and at most one cookie is
// held there, with the unique name of the process that granted it. After every change, settle()
// gives back a cookie that is not wanted or whose granter no longer owns the name (a cookie means
// nothing to another owner), and asks when the hold is wanted, nothing is held and no call is out.
class ServiceHold : public QObject
{
public:
    explicit ServiceHold(const QDBusConnection& bus, const Service& service,
                         std::function<QVariantList()> holdArguments)
        : m_bus(bus), m_service(service), m_holdArguments(std::move(holdArguments)),
          m_watcher(QString::fromLatin1(service.name), bus,
                    QDBusServiceWatcher::WatchForOwnerChange)
    {
        connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString&, const QString&, const QString& newOwner) {
                    m_owner = newOwner;
                    m_askDue = !newOwner.isEmpty();
                    settle();
                });
        // The owner as the bus knows it now; a change signalled before the answer is newer news.
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetNameOwner"));
        call << QString::fromLatin1(service.name);
        auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
        connect(pending, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher* answered) {
                    answered->deleteLater();
                    const QDBusPendingReply<QString> reply = *answered;
                    if (!m_owner.has_value()) {
                        m_owner = reply.isError() ? QString() : reply.value();
                        settle();
                    }
                });
    }

    void setHeld(bool held)
    {
        // Each hold that begins asks once more, even a service that refused the last one.
        if (held && !m_held) {
            m_askDue = true;
        }
        m_held = held;
        settle();
    }

private:
    struct Grant
    {
        QString granter; // the unique name of the process that granted the cookie
        quint32 cookie;
    };

    void settle()
    {
        // Until the owner is known, a cookie is taken to come from it.
        const bool granterOwns =
            m_grant.has_value() && (!m_owner.has_value() || *m_owner == m_grant->granter);
        if (m_grant.has_value() && (!m_held || !granterOwns)) {
            release(*m_grant);
            m_grant.reset();
        }
        if (m_held && m_askDue && !m_grant.has_value() && !m_calling) {
            ask();
        }
    }

    // The owner's unique name when there is one. Where no owner was known as the hold began, the
    // well-known name, which the bus may start a service for: a service that can be started on
    // demand is started by the first push. A service that answers with an error is asked again
    // only once its owner changes or a new hold begins.
    void ask()
    {
        const QString owner = m_owner.value_or(QString());
        QDBusMessage call = QDBusMessage::createMethodCall(
            owner.isEmpty() ? QString::fromLatin1(m_service.name) : owner,
            QString::fromLatin1(m_service.path), QString::fromLatin1(m_service.interface),
            QString::fromLatin1(m_service.holdMethod));
        call.setArguments(m_holdArguments());
        call.setAutoStartService(owner.isEmpty());
        m_askDue = false;
        m_calling = true;
        auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
        connect(pending, &QDBusPendingCallWatcher::finished, this,
                [this, owner](QDBusPendingCallWatcher* answered) {
                    answered->deleteLater();
                    m_calling = false;
                    const QDBusPendingReply<quint32> reply = *answered;
                    if (!reply.isError()) {
                        m_grant = Grant{granterOf(reply.reply(), owner), reply.value()};
                    }
                    // A cookie that comes after the hold was let go, or from a process that no
                    // longer owns the name, goes straight back.
                    settle();
                });
    }

    // The reply's sender, which Qt 6.4 tells and Qt 6.8 leaves out. Then it is the owner that was
    // asked, or, where the well-known name was asked, the name's owner as the bus has told it by
    // now: the bus says who took the name before it hands the new owner any call.
    QString granterOf(const QDBusMessage& reply, const QString& asked) const
    {
        if (!reply.service().isEmpty()) {
            return reply.service();
        }
        return !asked.isEmpty() ? asked : m_owner.value_or(QString());
    }

    // To the granter alone, which may have left the bus meanwhile: a process that is not there
    // cannot be started by a message to its unique name, and nothing else is asked to start one.
    void release(const Grant& grant)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            grant.granter, QString::fromLatin1(m_service.path),
            QString::fromLatin1(m_service.interface), QString::fromLatin1(m_service.releaseMethod));
        call << grant.cookie;
        call.setAutoStartService(false);
        m_bus.send(call);
    }

    QDBusConnection m_bus;
    const Service& m_service;
    std::function<QVariantList()> m_holdArguments;
    QDBusServiceWatcher m_watcher;
    // The name's owner (empty: none); unknown until the bus first says.
    std::optional<QString> m_owner;
    bool m_held = false;
    // Set when a hold begins or a new owner comes; cleared by asking.
    bool m_askDue = false;
    bool m_calling = false;
    std::optional<Grant> m_grant;
};

class SessionBus final : public AwakeWay
{
public:
    explicit SessionBus(const QDBusConnection& bus, QWidget& window)
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
