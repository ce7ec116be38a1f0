#pragma once

// The one way in to the Wayland compositor for the program's Wayland parts (the display kept awake,
// a blocked window handing the keyboard on): Qt's own connection, an event queue of the program's
// own on it with the compositor's globals that those parts use, and a window's surface.

#include <QPointer>

class QWindow;
struct wl_display;
struct wl_surface;
struct zwp_idle_inhibit_manager_v1;

namespace wayland {

class Client
{
public:
    // Made on first use where the program runs on Wayland, null elsewhere. It lives as long as
    // the application, and its objects go before Qt's connection closes.
    static Client* instance();

    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    ~Client();

    wl_display* display() const { return m_display; }
    // Takes what the compositor has sent to the program's queue (the globals are bound then).
    void dispatch();
    // Sends what waits for the compositor.
    void flush();

    // The compositor's idle-inhibit manager; null where it offers none.
    zwp_idle_inhibit_manager_v1* idleInhibitManager();

    // Asks the compositor to give `target` the keyboard in the name of the program's window that
    // has it now (xdg-activation), as a window of the program may; the compositor decides. False
    // where it offers no such way. Returns at once.
    bool activate(QWindow& target);

private:
    struct Globals;
    class Handover;

    explicit Client(wl_display* display);

    wl_display* m_display;
    Globals* m_globals;
    QPointer<Handover> m_handover;
};

// The surface that the window has now; null while it is not shown. Qt offers no other way to it.
wl_surface* surfaceOf(QWindow& window);

} // namespace wayland
