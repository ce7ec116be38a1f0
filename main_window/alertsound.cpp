#include "alertsound.h"

#include <appinfo.h>

#include <QApplication>

#include <cstdint>
#include <type_traits>

#ifdef OSTREVANE_HAVE_CANBERRA
#include <QLibrary>

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
            m_destroy(m_context);
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
        const int result =
            m_play(m_context, bellPlaybackId, CA_PROP_EVENT_ID, bellEventId,
                   CA_PROP_EVENT_DESCRIPTION, bellDescription, CA_PROP_CANBERRA_CACHE_CONTROL,
                   keepSampleCached, static_cast<const char*>(nullptr));
        // Event sounds switched off by the user stay off: no beep in their place.
        return result == CA_SUCCESS || result == CA_ERROR_DISABLED;
    }

    // libcanberra is loaded here rather than linked: the library and the sound libraries it
    // brings along (Vorbis, Ogg and more) would otherwise be loaded at every start-up, for a
    // sound that a game may never need.
    bool loadLibrary()
    {
        if (!m_library.load()) {
            return false;
        }
        const auto resolve = [this](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                m_library.resolve(name));
            return function != nullptr;
        };
        return resolve(m_create, "ca_context_create") && resolve(m_destroy, "ca_context_destroy") &&
               resolve(m_changeProps, "ca_context_change_props") &&
               resolve(m_open, "ca_context_open") && resolve(m_play, "ca_context_play");
    }

    void open()
    {
        ca_context* context = nullptr;
        if (!loadLibrary() || m_create(&context) != CA_SUCCESS) {
            m_unavailable = true;
            return;
        }
        m_changeProps(context, CA_PROP_APPLICATION_NAME, appinfo::title,
                      static_cast<const char*>(nullptr));
        // No sound server and no sound device: not worth asking again on every tick of this run.
        if (m_open(context) != CA_SUCCESS) {
            m_destroy(context);
            m_unavailable = true;
            return;
        }
        m_context = context;
    }

    QLibrary m_library{QStringLiteral("canberra"), 0};
    decltype(&ca_context_create) m_create = nullptr;
    decltype(&ca_context_destroy) m_destroy = nullptr;
    decltype(&ca_context_change_props) m_changeProps = nullptr;
    decltype(&ca_context_open) m_open = nullptr;
    decltype(&ca_context_play) m_play = nullptr;
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
