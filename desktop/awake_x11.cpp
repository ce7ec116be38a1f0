// The X server's own screen saver and display power saving, suspended for this program through the
// screen-saver extension (version 1.1), on the X connection that Qt already has. A suspension
// belongs to the connection: the server forgets it when the program ends, however it ends.

#include "awakeways.h"
#include "x11.h"

#include <xcb/screensaver.h>

namespace {

class X11ScreenSaver final : public AwakeWay
{
public:
    // Asked now and read on the first hold, by when the answer is long there.
    X11ScreenSaver() : m_version(xcb_screensaver_query_version(x11::connection(), 1, 1).sequence)
    {
        xcb_flush(x11::connection());
    }

    void setHeld(bool held) override
    {
        const xcb_screensaver_query_version_reply_t* version = m_version.get();
        // Suspend came with version 1.1.
        if (version == nullptr || version->server_major_version < 1 ||
            (version->server_major_version == 1 && version->server_minor_version < 1)) {
            return;
        }
        // The server counts suspensions per connection: one request each way.
        xcb_screensaver_suspend(x11::connection(), held ? 1 : 0);
        xcb_flush(x11::connection());
    }

private:
    x11::Answer<xcb_screensaver_query_version_reply_t> m_version;
};

} // namespace

std::unique_ptr<AwakeWay> x11ScreenSaverWay()
{
    if (x11::connection() == nullptr || x11::extension(xcb_screensaver_id) == nullptr) {
        return nullptr;
    }
    return std::make_unique<X11ScreenSaver>();
}
