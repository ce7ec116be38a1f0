#pragma once

#include <memory>

class QWidget;

// Keeps the display awake: no screen saver, blanking, dimming or locking for want of input, as
// long as it is held. A clock that runs needs nobody to touch the computer, and a player who thinks
// for minutes must not come back to a dark or locked screen, nor his opponent have to wake one that
// is not his to push. One seam: the clock window holds it while a clock runs and lets it go when
// none does; tests put a recording one in its place.
class KeepAwake
{
public:
    virtual ~KeepAwake() = default;
    // Held twice is held once; let go, nothing is held any more. Returns at once: whatever the
    // desktop is asked, its answer is never waited for.
    virtual void setHeld(bool held) = 0;
};

// Every way that the desktop under the program honours, at once: on X11 the server's own screen
// saver and display power saving; on the session bus GNOME's session manager and the freedesktop
// screen saver service (KDE Plasma, Xfce, LXQt and others), each where its name is on the bus, and
// again when it comes back; on Wayland the idle-inhibit protocol on the program's shown windows.
// Where none answers, holding does nothing. The holds go with the program's connections, so that a
// program that is killed holds nothing. `window` is the one the desktop names as the holder.
std::unique_ptr<KeepAwake> makeDesktopKeepAwake(QWidget& window);
