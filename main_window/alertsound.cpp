#include "alertsound.h"

#include <appinfo.h>

#include <QApplication>

#include <cstdint>

#ifdef OSTREVANE_HAVE_CANBERRA
#include <canberra.h>
#endif

namespace {

// The toolkit's beep: silent on Wayland and, on X11, up to the desktop's bell settings, so it is
// only the last resort.
class SystemBeep final : public AlertSound
{
public:
    void play() override { QApplication::beep(); }
};

#ifdef OSTREVANE_HAVE_CANBERRA

// The freedesktop sound theme's event for a short attention sound ("bell.oga" in the default
// theme); desktops with a theme of their own play their own bell for it.
constexpr char bellEventId[] = "bell";
constexpr char bellDescription[] = "Low time warning";
// Keeps the decoded sound in the sound server after the first warning, so that the later ones,
// one a second, are a single request each.
constexpr char keepSampleCached[] = "permanent";
// The id that would let a playing sound be cancelled; a warning never is, so one serves all.
constexpr std::uint32_t bellPlaybackId = 0;

// The theme's bell through libcanberra. Opening the connection to the sound server takes a round
// trip, so it happens on the first warning rather than at start-up, and once only. Playing is
// asynchronous: ca_context_play hands the request to the server and returns.
class ThemeBell final : public AlertSound
{
public:
    ThemeBell() = default;
    ThemeBell(const ThemeBell&) = delete;
    ThemeBell& operator=(const ThemeBell&) = delete;
    ~ThemeBell() override
    {
        if (m_context != nullptr) {
            ca_context_destroy(m_context);
        }
    }

    void play() override
    {
        if (!playBell()) {
            m_fallback.play();
        }
    }

private:
    bool playBell()
    {
        if (m_context == nullptr && !m_unavailable) {
            open();
        }
        if (m_context == nullptr) {
            return false;
        }
        const int result = ca_context_play(m_context, bellPlaybackId, CA_PROP_EVENT_ID, bellEventId,
                                           CA_PROP_EVENT_DESCRIPTION, bellDescription,
                                           CA_PROP_CANBERRA_CACHE_CONTROL, keepSampleCached,
                                           static_cast<const char*>(nullptr));
        // Event sounds switched off by the user stay off: no beep in their place.
        return result == CA_SUCCESS || result == CA_ERROR_DISABLED;
    }

    void open()
    {
        ca_context* context = nullptr;
        if (ca_context_create(&context) != CA_SUCCESS) {
            m_unavailable = true;
            return;
        }
        ca_context_change_props(context, CA_PROP_APPLICATION_NAME, appinfo::title,
                                static_cast<const char*>(nullptr));
        // No sound server and no sound device: not worth asking again on every tick of this run.
        if (ca_context_open(context) != CA_SUCCESS) {
            ca_context_destroy(context);
            m_unavailable = true;
            return;
        }
        m_context = context;
    }

    ca_context* m_context = nullptr;
    bool m_unavailable = false;
    SystemBeep m_fallback;
};

#endif

} // namespace

std::unique_ptr<AlertSound> makeSystemAlertSound()
{
#ifdef OSTREVANE_HAVE_CANBERRA
    return std::make_unique<ThemeBell>();
#else
    return std::make_unique<SystemBeep>();
#endif
}
