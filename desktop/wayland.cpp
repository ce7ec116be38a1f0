#include "wayland.h"

#include "idle-inhibit-client.h"
#include "xdg-activation-client.h"

#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace wayland {

namespace {

wl_display* qtDisplay()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0) && defined(QT_FEATURE_wayland) &&                      \
    QT_FEATURE_wayland == 1
    const auto* wayland = qGuiApp->nativeInterface<QNativeInterface::QWaylandApplication>();
    return wayland != nullptr ? wayland->display() : nullptr;
#else
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    return native != nullptr ? static_cast<wl_display*>(native->nativeResourceForIntegration(
                                   QByteArrayLiteral("wl_display")))
                             : nullptr;
#endif
}

std::unique_ptr<Client>& theClient()
{
    static std::unique_ptr<Client> client;
    return client;
}

constexpr int settlePollMilliseconds = 20;
constexpr int settlePollsAtMost = 100;

template <typename Proxy> std::uint32_t versionOf(Proxy* proxy)
{
    return wl_proxy_get_version(reinterpret_cast<wl_proxy*>(proxy));
}

} // namespace

// The compositor's globals, announced on the program's own queue and bound as they come, so that
// neither the start nor a push waits for the compositor.
struct Client::Globals
{
    wl_event_queue* queue = nullptr;
    wl_display* wrapper = nullptr;
    wl_registry* registry = nullptr;
    zwp_idle_inhibit_manager_v1* idleInhibit = nullptr;
    xdg_activation_v1* activation = nullptr;
    wl_seat* seat = nullptr;
    std::uint32_t seatCapabilities = 0;
    bool seatKnown = false;

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version)
    {
        auto& self = *static_cast<Globals*>(data);
        const auto bind = [&](const wl_interface& kind, std::uint32_t highest) {
            return std::strcmp(interface, kind.name) == 0
                       ? wl_registry_bind(registry, name, &kind, std::min(version, highest))
                       : nullptr;
        };
        if (self.idleInhibit == nullptr) {
            self.idleInhibit = static_cast<zwp_idle_inhibit_manager_v1*>(
                bind(zwp_idle_inhibit_manager_v1_interface, 1));
        }
        if (self.activation == nullptr) {
            self.activation = static_cast<xdg_activation_v1*>(bind(xdg_activation_v1_interface, 1));
        }
        if (self.seat == nullptr) {
            // Version 5 is the first whose keyboard can be released.
            self.seat = static_cast<wl_seat*>(bind(wl_seat_interface, 5));
            if (self.seat != nullptr) {
                wl_seat_add_listener(self.seat, &seatListener, &self);
            }
        }
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}
    static constexpr wl_registry_listener registryListener{&global, &globalRemove};

    static void capabilities(void* data, wl_seat*, std::uint32_t capabilities)
    {
        static_cast<Globals*>(data)->seatCapabilities = capabilities;
        static_cast<Globals*>(data)->seatKnown = true;
    }
    static void seatName(void*, wl_seat*, const char*) {}
    static constexpr wl_seat_listener seatListener{&capabilities, &seatName};
};

// A compositor hands the keyboard on from a window of the program's to another of its windows
// when the first asks in the name of the event that gave it the keyboard. Qt asks with the serial
// of the program's last key or click, which GNOME's compositor refuses for a window that only
// received the keyboard. So a keyboard of the handover's own is made on the seat: the compositor
// tells it at once which surface has the keyboard, with the serial that gave it, and the token is
// asked for with those. The keyboard goes when the handover is done, after at most a second.
// Whether the compositor then hands the keyboard on is its own decision (sway by default only
// marks the window as wanting attention).
class Client::Handover : public QObject
{
public:
    Handover(Client& client, QWindow& target) : m_client(client), m_target(&target)
    {
        Globals& globals = *client.m_globals;
        m_keyboard = wl_seat_get_keyboard(globals.seat);
        wl_keyboard_add_listener(m_keyboard, &keyboardListener, this);
        client.flush();
        connect(&m_poll, &QTimer::timeout, this, &Handover::poll);
        m_poll.start(pollMilliseconds);
    }

    ~Handover() override
    {
        if (m_token != nullptr) {
            xdg_activation_token_v1_destroy(m_token);
        }
        if (versionOf(m_keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
            wl_keyboard_release(m_keyboard);
        } else {
            wl_keyboard_destroy(m_keyboard);
        }
        m_client.flush();
    }

    void retarget(QWindow& target) { m_target = &target; }

private:
    static constexpr int pollMilliseconds = 10;
    static constexpr int enterPollsAtMost = 10;
    static constexpr int pollsAtMost = 100;

    void poll()
    {
        m_client.dispatch();
        if (m_entered != nullptr && m_token == nullptr) {
            Globals& globals = *m_client.m_globals;
            m_token = xdg_activation_v1_get_activation_token(globals.activation);
            xdg_activation_token_v1_add_listener(m_token, &tokenListener, this);
            xdg_activation_token_v1_set_serial(m_token, m_serial, globals.seat);
            xdg_activation_token_v1_set_surface(m_token, m_entered);
            xdg_activation_token_v1_set_app_id(
                m_token, QGuiApplication::desktopFileName().toUtf8().constData());
            xdg_activation_token_v1_commit(m_token);
            m_client.flush();
        }
        if (m_entered == nullptr && m_token == nullptr && m_polls >= enterPollsAtMost &&
            m_target != nullptr) {
            // Not every compositor tells a new keyboard where the keyboard is (wlroots before
            // 0.17 does not): Qt's own request is all there is then.
            m_target->requestActivate();
            m_finished = true;
        }
        if (m_finished || ++m_polls >= pollsAtMost) {
            m_poll.stop();
            deleteLater();
        }
    }

    static void tokenDone(void* data, xdg_activation_token_v1*, const char* token)
    {
        auto& self = *static_cast<Handover*>(data);
        wl_surface* target = self.m_target != nullptr ? surfaceOf(*self.m_target) : nullptr;
        if (target != nullptr) {
            xdg_activation_v1_activate(self.m_client.m_globals->activation, token, target);
        }
        self.m_finished = true;
    }
    static constexpr xdg_activation_token_v1_listener tokenListener{&tokenDone};

    static void keymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t)
    {
        ::close(fd);
    }
    static void enter(void* data, wl_keyboard*, std::uint32_t serial, wl_surface* surface,
                      wl_array*)
    {
        auto& self = *static_cast<Handover*>(data);
        self.m_serial = serial;
        self.m_entered = surface;
    }
    static void leave(void* data, wl_keyboard*, std::uint32_t, wl_surface*)
    {
        static_cast<Handover*>(data)->m_entered = nullptr;
    }
    static void key(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t)
    {}
    static void modifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                          std::uint32_t, std::uint32_t)
    {}
    static void repeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
    static constexpr wl_keyboard_listener keyboardListener{&keymap, &enter,     &leave,
                                                           &key,    &modifiers, &repeatInfo};

    Client& m_client;
    QPointer<QWindow> m_target;
    wl_keyboard* m_keyboard = nullptr;
    xdg_activation_token_v1* m_token = nullptr;
    wl_surface* m_entered = nullptr;
    std::uint32_t m_serial = 0;
    bool m_finished = false;
    QTimer m_poll;
    int m_polls = 0;
};

Client::Client(wl_display* display) : m_display(display), m_globals(new Globals)
{
    // Asked now, read when first needed: by then the compositor has long answered.
    m_globals->queue = wl_display_create_queue(display);
    m_globals->wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(m_globals->wrapper), m_globals->queue);
    m_globals->registry = wl_display_get_registry(m_globals->wrapper);
    wl_registry_add_listener(m_globals->registry, &Globals::registryListener, m_globals);
    flush();
    // Whether the seat has a keyboard is told only after the seat is bound: both are taken in
    // now, while nothing waits for them, for at most a couple of seconds.
    auto* settle = new QTimer(qApp);
    QObject::connect(settle, &QTimer::timeout, settle, [this, settle, polls = 0]() mutable {
        dispatch();
        if (m_globals->seatKnown || ++polls >= settlePollsAtMost) {
            settle->deleteLater();
        }
    });
    settle->start(settlePollMilliseconds);
}

Client::~Client()
{
    delete m_handover.data();
    if (m_globals->idleInhibit != nullptr) {
        zwp_idle_inhibit_manager_v1_destroy(m_globals->idleInhibit);
    }
    if (m_globals->activation != nullptr) {
        xdg_activation_v1_destroy(m_globals->activation);
    }
    if (m_globals->seat != nullptr) {
        if (versionOf(m_globals->seat) >= WL_SEAT_RELEASE_SINCE_VERSION) {
            wl_seat_release(m_globals->seat);
        } else {
            wl_seat_destroy(m_globals->seat);
        }
    }
    wl_registry_destroy(m_globals->registry);
    wl_proxy_wrapper_destroy(m_globals->wrapper);
    wl_event_queue_destroy(m_globals->queue);
    flush();
    delete m_globals;
}

Client* Client::instance()
{
    std::unique_ptr<Client>& client = theClient();
    if (client == nullptr && QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        if (wl_display* display = qtDisplay()) {
            client.reset(new Client(display));
            // Before the application closes Qt's connection.
            qAddPostRoutine([] { theClient().reset(); });
        }
    }
    return client.get();
}

void Client::dispatch()
{
    wl_display_dispatch_queue_pending(m_display, m_globals->queue);
}

void Client::flush()
{
    wl_display_flush(m_display);
}

zwp_idle_inhibit_manager_v1* Client::idleInhibitManager()
{
    dispatch();
    return m_globals->idleInhibit;
}

bool Client::activate(QWindow& target)
{
    dispatch();
    if (m_globals->activation == nullptr ||
        (m_globals->seatCapabilities & WL_SEAT_CAPABILITY_KEYBOARD) == 0) {
        return false;
    }
    if (m_handover != nullptr) {
        m_handover->retarget(target);
    } else {
        m_handover = new Handover(*this, target);
    }
    return true;
}

wl_surface* surfaceOf(QWindow& window)
{
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    return native != nullptr && window.handle() != nullptr
               ? static_cast<wl_surface*>(
                     native->nativeResourceForWindow(QByteArrayLiteral("surface"), &window))
               : nullptr;
}

} // namespace wayland
