#include "blockedwindows.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include <cstdint>
#include <cstring>
#include <memory>

#if defined(OSTREVANE_HAVE_XCB)
#include "x11.h"

#include <QTimer>
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <vector>
#endif
#if defined(OSTREVANE_HAVE_WAYLAND)
#include "wayland.h"

#include <qpa/qwindowsysteminterface_p.h>
#endif

namespace blockedwindows {

namespace {

// The modal window that keeps this one from taking input, as Qt decides it; null when none does.
QWindow* blockerOf(const QWindow* window)
{
    QWindow* modal = QGuiApplication::modalWindow();
    if (window == nullptr || modal == nullptr || window == modal ||
        modal->isAncestorOf(window, QWindow::IncludeTransients)) {
        return nullptr;
    }
    const bool blocked = modal->modality() == Qt::ApplicationModal ||
                         window->isAncestorOf(modal, QWindow::IncludeTransients);
    return blocked ? modal : nullptr;
}

void bringForward(QWindow& modal)
{
    modal.raise();
#if defined(OSTREVANE_HAVE_WAYLAND)
    // Qt's own request names an event that a compositor may refuse (see wayland.cpp).
    if (wayland::Client* client = wayland::Client::instance();
        client != nullptr && client->activate(modal)) {
        return;
    }
#endif
    modal.requestActivate();
}

#if defined(OSTREVANE_HAVE_XCB)
// On X11 Qt drops a blocked window's clicks, keys and close requests (the window manager's
// WM_DELETE_WINDOW) as it reads them; they are seen here first. The message is brought forward in
// the name of the very click, key or close request: the desktop hands over the keyboard only to a
// request that is not older than the user's last act elsewhere, and Qt would name an older one (it
// has not read this event yet, and reads no time from a close request at all).
class X11BlockedInput : public QObject
{
public:
    X11BlockedInput()
        : m_protocols(intern("WM_PROTOCOLS")), m_delete(intern("WM_DELETE_WINDOW")),
          m_activeWindow(intern("_NET_ACTIVE_WINDOW")),
          m_manager(intern("_NET_SUPPORTING_WM_CHECK"))
    {}

    // True drops the event: a close request, which comes back once the keys before it are in.
    bool hear(const xcb_generic_event_t& event)
    {
        xcb_window_t target = XCB_NONE;
        xcb_timestamp_t time = XCB_CURRENT_TIME;
        switch (event.response_type & ~0x80) {
        case XCB_BUTTON_PRESS: {
            const auto& press = reinterpret_cast<const xcb_button_press_event_t&>(event);
            target = press.event;
            time = press.time;
            break;
        }
        case XCB_KEY_PRESS: {
            const auto& press = reinterpret_cast<const xcb_key_press_event_t&>(event);
            target = press.event;
            time = press.time;
            break;
        }
        case XCB_CLIENT_MESSAGE: {
            const auto& client = reinterpret_cast<const xcb_client_message_event_t&>(event);
            if (client.format == 32 && client.type == atom(m_protocols) &&
                client.data.data32[0] == atom(m_delete)) {
                if (client.data.data32[markField] != heldBefore) {
                    hold(client);
                    return true;
                }
                target = client.window;
                time = client.data.data32[1];
            }
            break;
        }
        default:
            return false;
        }
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (target != XCB_NONE && window->handle() != nullptr && window->winId() == target) {
                if (QWindow* modal = blockerOf(window)) {
                    bringForward(*modal, target, time);
                }
                break;
            }
        }
        return false;
    }

    // A key press as Qt hands it on: its window is first asked whether it is a shortcut (which Qt's
    // accessibility bridge never holds back), then the press reaches the window (at once, or once
    // the bridge lets go of it), or a shortcut takes it.
    void keyEvent(const QObject& watched, const QEvent& event)
    {
        const bool atWindow = watched.isWindowType();
        if (atWindow && event.type() == QEvent::ShortcutOverride && event.spontaneous()) {
            ++m_pressesOnTheirWay;
        } else if ((atWindow && event.type() == QEvent::KeyPress) ||
                   event.type() == QEvent::Shortcut) {
            m_pressesOnTheirWay = std::max(0, m_pressesOnTheirWay - 1);
            for (Held& request : m_held) {
                request.presses = std::max(0, request.presses - 1);
            }
            if (!m_held.empty()) {
                // Each request goes once the press that it waited for has been handled.
                QTimer::singleShot(0, this, [this] { sendBack(false); });
            }
        }
    }

private:
    // While a client listens to the accessibility bus (a screen reader does), Qt's bridge to it
    // holds back every key press until the bus has said whether the client takes it, up to 100 ms;
    // a close request is not held back. One that came right after the Return that answers a
    // refusal overtook it, found the dialog still blocked, and was dropped; the Return then
    // answered the message and the dialog stayed. So a close request waits for the key presses
    // that were on their way when it came, and then goes back to its window through the server.
    struct Held
    {
        xcb_client_message_event_t request;
        int presses;
    };
    static constexpr std::size_t markField = 4; // one that close requests leave empty
    static constexpr std::uint32_t heldBefore = 0x4f535452;
    static constexpr int bridgeHoldsAtMostMilliseconds = 150;

    void hold(const xcb_client_message_event_t& request)
    {
        QTimer::singleShot(0, this, [this, request] {
            // The keys read before the request reach the windows, or the bridge, now.
            QWindowSystemInterface::flushWindowSystemEvents();
            m_held.push_back({request, m_pressesOnTheirWay});
            sendBack(false);
            QTimer::singleShot(bridgeHoldsAtMostMilliseconds, this, [this] {
                // A press that the listening client took never comes.
                m_pressesOnTheirWay = 0;
                sendBack(true);
            });
        });
    }

    void sendBack(bool all)
    {
        xcb_connection_t* connection = x11::connection();
        std::erase_if(m_held, [&](Held& waiting) {
            if (!all && waiting.presses > 0) {
                return false;
            }
            waiting.request.data.data32[markField] = heldBefore;
            xcb_send_event(connection, 0, waiting.request.window, XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char*>(&waiting.request));
            return true;
        });
        xcb_flush(connection);
    }

    // A window manager is asked to activate the message (as its owner's request); without one the
    // program gives it the keyboard itself.
    void bringForward(QWindow& modal, xcb_window_t blocked, xcb_timestamp_t time)
    {
        modal.raise();
        xcb_connection_t* connection = x11::connection();
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        const x11::Owned<xcb_get_property_reply_t> manager(xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, root, atom(m_manager), XCB_ATOM_WINDOW, 0, 1),
            nullptr));
        if (manager != nullptr && xcb_get_property_value_length(manager.get()) > 0) {
            xcb_client_message_event_t request{};
            request.response_type = XCB_CLIENT_MESSAGE;
            request.format = 32;
            request.window = modal.winId();
            request.type = atom(m_activeWindow);
            request.data.data32[0] = applicationSource;
            request.data.data32[1] = time;
            request.data.data32[2] = blocked;
            xcb_send_event(connection, 0, root,
                           XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT |
                               XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                           reinterpret_cast<const char*>(&request));
        } else {
            xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, modal.winId(), time);
        }
        xcb_flush(connection);
    }

    // The source of an activation request that a window manager is told: an application.
    static constexpr std::uint32_t applicationSource = 1;

    // Asked at start, read when first needed, by when the answer is long there.
    static x11::Answer<xcb_intern_atom_reply_t> intern(const char* name)
    {
        return x11::Answer<xcb_intern_atom_reply_t>(
            xcb_intern_atom(x11::connection(), 0, static_cast<std::uint16_t>(std::strlen(name)),
                            name)
                .sequence);
    }

    static xcb_atom_t atom(x11::Answer<xcb_intern_atom_reply_t>& answer)
    {
        const xcb_intern_atom_reply_t* reply = answer.get();
        return reply != nullptr ? reply->atom : XCB_NONE;
    }

    x11::Answer<xcb_intern_atom_reply_t> m_protocols;
    x11::Answer<xcb_intern_atom_reply_t> m_delete;
    x11::Answer<xcb_intern_atom_reply_t> m_activeWindow;
    x11::Answer<xcb_intern_atom_reply_t> m_manager;
    int m_pressesOnTheirWay = 0;
    std::vector<Held> m_held;
};
#endif

#if defined(OSTREVANE_HAVE_WAYLAND)
// On Wayland a compositor's close request for a blocked window reaches Qt 6.8 as an event of the
// window system's, which Qt drops before any filter sees it; each is seen here on its way to Qt,
// and goes no further. (Qt 6.4 delivers it as the window's own close, past both the blocking and
// this handler, to the filter below.)
class WaylandCloseRequests final : public QWindowSystemEventHandler
{
public:
    WaylandCloseRequests() { QWindowSystemInterfacePrivate::installWindowSystemEventHandler(this); }

    bool sendEvent(QWindowSystemInterfacePrivate::WindowSystemEvent* event) override
    {
        if (event->type == QWindowSystemInterfacePrivate::Close) {
            if (QWindow* modal = blockerOf(
                    static_cast<QWindowSystemInterfacePrivate::CloseEvent*>(event)->window)) {
                bringForward(*modal);
                return false;
            }
        }
        return QWindowSystemEventHandler::sendEvent(event);
    }
};
#endif

// A blocked window that the desktop activates (as a click does) hands the keyboard on. A close
// request that reaches a blocked window past Qt's blocking is refused, and brings the message
// forward. Lives as long as the application.
class BlockedInput : public QObject
{
public:
    explicit BlockedInput(QGuiApplication& app) : QObject(&app)
    {
        app.installEventFilter(this);
        connect(&app, &QGuiApplication::focusWindowChanged, this, [](QWindow* focused) {
            if (QWindow* modal = blockerOf(focused)) {
                bringForward(*modal);
            }
        });
#if defined(OSTREVANE_HAVE_XCB)
        if (x11::connection() != nullptr) {
            m_x11 = std::make_unique<X11BlockedInput>();
            x11::listen(x11::Listener::BlockedWindows,
                        [input = m_x11.get()](const xcb_generic_event_t& event) {
                            return input->hear(event);
                        });
        }
#endif
#if defined(OSTREVANE_HAVE_WAYLAND)
        if (wayland::Client::instance() != nullptr) {
            m_wayland = std::make_unique<WaylandCloseRequests>();
        }
#endif
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
#if defined(OSTREVANE_HAVE_XCB)
        if (m_x11 != nullptr) {
            m_x11->keyEvent(*watched, *event);
        }
#endif
        if (event->type() != QEvent::Close || !event->spontaneous() || !watched->isWindowType()) {
            return false;
        }
        QWindow* modal = blockerOf(static_cast<QWindow*>(watched));
        if (modal == nullptr) {
            return false;
        }
        event->ignore();
        bringForward(*modal);
        return true;
    }

private:
#if defined(OSTREVANE_HAVE_XCB)
    std::unique_ptr<X11BlockedInput> m_x11;
#endif
#if defined(OSTREVANE_HAVE_WAYLAND)
    std::unique_ptr<WaylandCloseRequests> m_wayland;
#endif
};

} // namespace

void bringMessageForward(QGuiApplication& app)
{
    new BlockedInput(app);
}

} // namespace blockedwindows
