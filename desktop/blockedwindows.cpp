#include "blockedwindows.h"

#include <QAbstractNativeEventFilter>
#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#if defined(OSTREVANE_HAVE_XCB)
#include <xcb/xcb.h>
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
    modal.requestActivate();
}

#if defined(OSTREVANE_HAVE_XCB)
// On X11 Qt drops a blocked window's clicks, keys and close requests (the window manager's
// WM_DELETE_WINDOW) as it reads them; they are seen here first.
class X11BlockedInput : public QAbstractNativeEventFilter
{
public:
    explicit X11BlockedInput(xcb_connection_t* connection)
        : m_connection(connection), m_protocols(intern("WM_PROTOCOLS")),
          m_delete(intern("WM_DELETE_WINDOW"))
    {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        xcb_window_t target = XCB_NONE;
        switch (static_cast<const xcb_generic_event_t*>(message)->response_type & ~0x80) {
        case XCB_BUTTON_PRESS:
            target = static_cast<const xcb_button_press_event_t*>(message)->event;
            break;
        case XCB_KEY_PRESS:
            target = static_cast<const xcb_key_press_event_t*>(message)->event;
            break;
        case XCB_CLIENT_MESSAGE: {
            const auto* client = static_cast<const xcb_client_message_event_t*>(message);
            if (client->format == 32 && client->type == atom(m_protocols) &&
                client->data.data32[0] == atom(m_delete)) {
                target = client->window;
            }
            break;
        }
        default:
            break;
        }
        if (target == XCB_NONE) {
            return false;
        }
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (window->handle() != nullptr && window->winId() == target) {
                if (QWindow* modal = blockerOf(window)) {
                    bringForward(*modal);
                }
                break;
            }
        }
        return false;
    }

private:
    struct Atom
    {
        xcb_intern_atom_cookie_t cookie;
        xcb_atom_t value = XCB_NONE;
        bool answered = false;
    };

    // Asked at start, read when first needed, by when the answer is long there.
    Atom intern(const char* name) const
    {
        return {
            xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name)};
    }

    xcb_atom_t atom(Atom& atom) const
    {
        if (!atom.answered) {
            atom.answered = true;
            std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
                xcb_intern_atom_reply(m_connection, atom.cookie, nullptr), &std::free);
            atom.value = reply != nullptr ? reply->atom : XCB_NONE;
        }
        return atom.value;
    }

    xcb_connection_t* m_connection;
    mutable Atom m_protocols;
    mutable Atom m_delete;
};
#endif

// Elsewhere the focus and close requests reach Qt: a blocked window that the desktop activates
// (as a click does) hands the keyboard on, and its close request (Wayland's compositors pass it as
// a close of the window that bypasses the blocking) is refused. Lives as long as the application.
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
        const auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
        if (x11 != nullptr && x11->connection() != nullptr) {
            m_x11 = std::make_unique<X11BlockedInput>(x11->connection());
            app.installNativeEventFilter(m_x11.get());
        }
#endif
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
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
};

} // namespace

void bringMessageForward(QGuiApplication& app)
{
    new BlockedInput(app);
}

} // namespace blockedwindows
