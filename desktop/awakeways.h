#pragma once

#include <memory>
#include <vector>

class KeepAwake;
class QWidget;

// One way of keeping the display awake, through one part of the desktop (keepawake.cpp holds them
// all together). Each returns at once and needs to be told only changes.
class AwakeWay
{
public:
    virtual ~AwakeWay() = default;
    virtual void setHeld(bool held) = 0;
};

// Each null where its part is missing from the build or the desktop offers none: the X server's
// screen saver (awake_x11.cpp), the session bus's services (awake_session.cpp), the Wayland
// compositor's idle inhibitors (awake_wayland.cpp).
std::unique_ptr<AwakeWay> x11ScreenSaverWay();
std::unique_ptr<AwakeWay> sessionBusWay(QWidget& window);
std::unique_ptr<AwakeWay> waylandIdleInhibitWay();

// Holds through every one of `ways` at once; a null way (a part that the desktop lacks) is left
// out. makeDesktopKeepAwake picks the ways for the desktop at hand; a test passes its own choice.
std::unique_ptr<KeepAwake> keepAwakeThrough(std::vector<std::unique_ptr<AwakeWay>> ways);
