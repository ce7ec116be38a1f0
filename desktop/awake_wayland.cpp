// Wayland's idle-inhibit protocol: an inhibitor on a surface keeps the compositor from going idle
// (blanking, locking) while that surface is shown. The compositor honours it only for a surface the
// user can see, and Qt makes a window a new surface each time it is shown, so while the hold lasts
// every shown window of the program gets an inhibitor of its own. The inhibitors live on the
// program's own queue on Qt's connection (wayland.cpp), and go with it when the program ends.

#include "awakeways.h"
#include "wayland.h"

#include "idle-inhibit-client.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include <map>
#include <memory>

namespace {

class WaylandIdleInhibit final : public QObject, public AwakeWay
{
public:
    explicit WaylandIdleInhibit(wayland::Client& client) : m_client(client) {}

    ~WaylandIdleInhibit() override
    {
        qApp->removeEventFilter(this);
        dropAll();
        m_client.flush();
    }

    void setHeld(bool held) override
    {
        if (held) {
            qApp->installEventFilter(this);
            follow();
        } else {
            qApp->removeEventFilter(this);
            dropAll();
        }
        m_client.flush();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A window shown (a new surface) or hidden (its surface goes).
        if (event->type() == QEvent::Expose && watched->isWindowType()) {
            follow();
            m_client.flush();
        }
        return false;
    }

private:
    // Every shown window of the program has an inhibitor on the surface it has now; none other.
    void follow()
    {
        zwp_idle_inhibit_manager_v1* manager = m_client.idleInhibitManager();
        if (manager == nullptr) {
            return;
        }
        std::map<QWindow*, Inhibitor> kept;
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            wl_surface* surface = window->isExposed() ? wayland::surfaceOf(*window) : nullptr;
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
                                                    manager, surface)});
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

    struct Inhibitor
    {
        wl_surface* surface;
        zwp_idle_inhibitor_v1* proxy;
    };

    wayland::Client& m_client;
    std::map<QWindow*, Inhibitor> m_inhibitors;
};

} // namespace

std::unique_ptr<AwakeWay> waylandIdleInhibitWay()
{
    wayland::Client* client = wayland::Client::instance();
    if (client == nullptr) {
        return nullptr;
    }
    return std::make_unique<WaylandIdleInhibit>(*client);
}
