// Wayland's idle-inhibit protocol: an inhibitor on a surface keeps the compositor from going idle
// (blanking, locking) while that surface is shown. The compositor honours it only for a surface the
// user can see, and Qt makes a window a new surface each time it is shown, so while the hold lasts
// every shown window of the program gets an inhibitor of its own. The protocol's objects live on an
// event queue of their own on Qt's connection, and go with it when the program ends.

#include "awakeways.h"

#include "idle-inhibit-client.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <cstring>
#include <map>
#include <memory>

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

// The surface that the window has now; null while it is not shown. Qt offers no other way to it.
wl_surface* surfaceOf(QWindow& window)
{
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    return native != nullptr && window.handle() != nullptr
               ? static_cast<wl_surface*>(
                     native->nativeResourceForWindow(QByteArrayLiteral("surface"), &window))
               : nullptr;
}

class WaylandIdleInhibit final : public QObject, public AwakeWay
{
public:
    explicit WaylandIdleInhibit(wl_display* display)
        : m_display(display), m_queue(wl_display_create_queue(display))
    {
        // The globals are announced on this queue and read when the hold first needs them: asking
        // now and reading then keeps the start-up and the push from waiting for the compositor.
        m_wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(m_wrapper), m_queue);
        m_registry = wl_display_get_registry(m_wrapper);
        wl_registry_add_listener(m_registry, &registryListener, this);
        wl_display_flush(display);
    }

    ~WaylandIdleInhibit() override
    {
        qApp->removeEventFilter(this);
        dropAll();
        if (m_manager != nullptr) {
            zwp_idle_inhibit_manager_v1_destroy(m_manager);
        }
        wl_registry_destroy(m_registry);
        wl_proxy_wrapper_destroy(m_wrapper);
        wl_event_queue_destroy(m_queue);
        wl_display_flush(m_display);
    }

    void setHeld(bool held) override
    {
        if (held) {
            wl_display_dispatch_queue_pending(m_display, m_queue);
            qApp->installEventFilter(this);
            follow();
        } else {
            qApp->removeEventFilter(this);
            dropAll();
        }
        wl_display_flush(m_display);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A window shown (a new surface) or hidden (its surface goes).
        if (event->type() == QEvent::Expose && watched->isWindowType()) {
            follow();
            wl_display_flush(m_display);
        }
        return false;
    }

private:
    // Every shown window of the program has an inhibitor on the surface it has now; none other.
    void follow()
    {
        if (m_manager == nullptr) {
            return;
        }
        std::map<QWindow*, Inhibitor> kept;
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            wl_surface* surface = window->isExposed() ? surfaceOf(*window) : nullptr;
            if (surface == nullptr) {
                continue;
            }
            const auto held = m_inhibitors.find(window);
            if (held != m_inhibitors.end() && held->second.surface == surface) {
                kept.emplace(window, held->second);
                m_inhibitors.erase(held);
            } else {
                kept.emplace(window,
                             Inhibitor{surface, zwp_idle_inhibit_manager_v1_create_inhibitor(
                                                    m_manager, surface)});
            }
        }
        dropAll();
        m_inhibitors = std::move(kept);
    }

    void dropAll()
    {
        for (const auto& [window, inhibitor] : m_inhibitors) {
            zwp_idle_inhibitor_v1_destroy(inhibitor.proxy);
        }
        m_inhibitors.clear();
    }

    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t)
    {
        auto* self = static_cast<WaylandIdleInhibit*>(data);
        if (self->m_manager == nullptr &&
            std::strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0) {
            self->m_manager = static_cast<zwp_idle_inhibit_manager_v1*>(
                wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1));
        }
    }
    static void globalRemove(void*, wl_registry*, uint32_t) {}
    static constexpr wl_registry_listener registryListener{&global, &globalRemove};

    struct Inhibitor
    {
        wl_surface* surface;
        zwp_idle_inhibitor_v1* proxy;
    };

    wl_display* m_display;
    wl_event_queue* m_queue;
    wl_display* m_wrapper = nullptr;
    wl_registry* m_registry = nullptr;
    zwp_idle_inhibit_manager_v1* m_manager = nullptr;
    std::map<QWindow*, Inhibitor> m_inhibitors;
};

} // namespace

std::unique_ptr<AwakeWay> waylandIdleInhibitWay()
{
    wl_display* display = qtDisplay();
    if (display == nullptr) {
        return nullptr;
    }
    return std::make_unique<WaylandIdleInhibit>(display);
}
