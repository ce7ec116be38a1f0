// The X server's own screen saver and display power saving, suspended for this program through the
// screen-saver extension (version 1.1), on the X connection that Qt already has. A suspension
// belongs to the connection: the server forgets it when the program ends, however it ends.

#include "awakeways.h"

#include <QGuiApplication>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

class X11ScreenSaver final : public AwakeWay
{
public:
    explicit X11ScreenSaver(xcb_connection_t* connection)
        : m_connection(connection),
          // Asked now and read on the first hold, by when the answer is long there.
          m_version(xcb_screensaver_query_version(connection, 1, 1))
    {
        xcb_flush(connection);
    }

    ~X11ScreenSaver() override
    {
        if (!m_answered) {
            xcb_discard_reply(m_connection, m_version.sequence);
        }
    }

    void setHeld(bool held) override
    {
        if (!canSuspend()) {
            return;
        }
        // The server counts suspensions per connection: one request each way.
        xcb_screensaver_suspend(m_connection, held ? 1 : 0);
        xcb_flush(m_connection);
    }

private:
    bool canSuspend()
    {
        if (!m_answered) {
            m_answered = true;
            std::unique_ptr<xcb_screensaver_query_version_reply_t, decltype(&std::free)> reply(
                xcb_screensaver_query_version_reply(m_connection, m_version, nullptr), &std::free);
            // Suspend came with version 1.1.
            m_canSuspend = reply != nullptr &&
                           (reply->server_major_version > 1 ||
                            (reply->server_major_version == 1 && reply->server_minor_version >= 1));
        }
        return m_canSuspend;
    }

    xcb_connection_t* m_connection;
    xcb_screensaver_query_version_cookie_t m_version;
    bool m_answered = false;
    bool m_canSuspend = false;
};

} // namespace

std::unique_ptr<AwakeWay> x11ScreenSaverWay()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) {
        return nullptr;
    }
    // A request to an extension that the server lacks would close the connection.
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &xcb_screensaver_id);
    if (extension == nullptr || extension->present == 0) {
        return nullptr;
    }
    return std::make_unique<X11ScreenSaver>(connection);
}
