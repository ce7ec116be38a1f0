#include "keepawake.h"

#include "awakeways.h"

#include <QGuiApplication>
#include <QWidget>

#include <vector>

namespace {

class DesktopKeepAwake final : public KeepAwake
{
public:
    explicit DesktopKeepAwake(std::vector<std::unique_ptr<AwakeWay>> ways) : m_ways(std::move(ways))
    {}

    void setHeld(bool held) override
    {
        if (held == m_held) {
            return;
        }
        m_held = held;
        for (const auto& way : m_ways) {
            way->setHeld(held);
        }
    }

private:
    std::vector<std::unique_ptr<AwakeWay>> m_ways;
    bool m_held = false;
};

} // namespace

std::unique_ptr<KeepAwake> keepAwakeThrough(std::vector<std::unique_ptr<AwakeWay>> ways)
{
    std::erase(ways, nullptr);
    return std::make_unique<DesktopKeepAwake>(std::move(ways));
}

#if !defined(OSTREVANE_HAVE_XCB_SCREENSAVER)
std::unique_ptr<AwakeWay> x11ScreenSaverWay()
{
    return nullptr;
}
#endif
#if !defined(OSTREVANE_HAVE_DBUS)
std::unique_ptr<AwakeWay> sessionBusWay(QWidget&)
{
    return nullptr;
}
#endif
#if !defined(OSTREVANE_HAVE_WAYLAND)
std::unique_ptr<AwakeWay> waylandIdleInhibitWay()
{
    return nullptr;
}
#endif

std::unique_ptr<KeepAwake> makeDesktopKeepAwake(QWidget& window)
{
    const QString platform = QGuiApplication::platformName();
    // Where nothing is shown (the offscreen platform of tests and servers) there is no display to
    // keep awake, and no desktop to ask.
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        return keepAwakeThrough({});
    }
    std::vector<std::unique_ptr<AwakeWay>> ways;
    if (platform == QLatin1String("xcb")) {
        ways.push_back(x11ScreenSaverWay());
    } else if (platform.startsWith(QLatin1String("wayland"))) {
        ways.push_back(waylandIdleInhibitWay());
    }
    // Windows (SetThreadExecutionState with ES_DISPLAY_REQUIRED) and macOS (an IOKit power
    // assertion that prevents display sleep) would each add one way of their own here.
    ways.push_back(sessionBusWay(window));
    return keepAwakeThrough(std::move(ways));
}
