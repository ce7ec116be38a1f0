#include "heldkeys.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QKeyEvent>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <unordered_map>

#if defined(OSTREVANE_HAVE_XCB_XKB)
#include <xcb/xcb.h>
// The header names a member "explicit", which C++ reserves.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#endif

namespace heldkeys {

namespace {

// Keys whose every repeat does what a user holding them means: another character, another step
// of the cursor or the list. Any other key acts when it goes down (Enter and Esc in a dialog,
// Tab with the field's check, a shortcut or an access key) or when it comes up after going down
// (Space on a button), and a repeat would act again.
bool editsText(const QKeyEvent& key)
{
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false;
    }
    switch (key.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    case Qt::Key_Space:
        return false;
    default:
        return !key.text().isEmpty() && key.text().at(0).isPrint();
    }
}

// What the keys that the platform reports are, by the scan code that it gives them: learnt from
// the key events themselves, as the platform's keyboard map is the toolkit's to read.
class KeyNames
{
public:
    void learn(const QKeyEvent& key)
    {
        if (key.nativeScanCode() != 0) {
            m_editsText[key.nativeScanCode()] = editsText(key);
        }
    }
    // False for a key not seen yet: a repeat of an unknown key is better dropped than acted on.
    bool knownToEditText(std::uint32_t scanCode) const
    {
        const auto found = m_editsText.find(scanCode);
        return found != m_editsText.end() && found->second;
    }

private:
    std::unordered_map<std::uint32_t, bool> m_editsText;
};

#if defined(OSTREVANE_HAVE_XCB_XKB)
// X11 repeats a held key as a release followed by a press. Qt marks such a pair as a repeat only
// when it finds the press already queued as it handles the release, and on a busy machine it
// often does not: each repeat then acts as a press of its own. So the X server is asked to leave
// out the releases of a held key for this program ("detectable auto-repeat"): the only release is
// the real one, and a press of a key that is down is a repeat. Those are dropped before Qt sees
// them, but for keys that edit text, whose repeats Qt then passes on unmarked.
//
// A release can also go to another program: the focus moves on when a window closes on a key's
// press, and where it lands a moment is up to the window manager. So a key counts as down only
// while its presses come at the server's pace of repeating; the server stamps each event with
// its own clock, which no load on this program can skew.
class X11Repeats : public QAbstractNativeEventFilter
{
public:
    // Null where the server cannot leave the releases out; the repeats then stay as they were.
    static std::unique_ptr<X11Repeats> ask(xcb_connection_t* connection, const KeyNames& names)
    {
        // A request to an extension that the server lacks would close the connection.
        const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection, &xcb_xkb_id);
        if (xkb == nullptr || xkb->present == 0) {
            return nullptr;
        }
        constexpr std::uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        const auto flags =
            xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0);
        const auto controls = xcb_xkb_get_controls(connection, XCB_XKB_ID_USE_CORE_KBD);
        std::unique_ptr<xcb_xkb_per_client_flags_reply_t, decltype(&std::free)> granted(
            xcb_xkb_per_client_flags_reply(connection, flags, nullptr), &std::free);
        std::unique_ptr<xcb_xkb_get_controls_reply_t, decltype(&std::free)> pace(
            xcb_xkb_get_controls_reply(connection, controls, nullptr), &std::free);
        if (granted == nullptr || (granted->value & flag) == 0 || pace == nullptr) {
            return nullptr;
        }
        return std::make_unique<X11Repeats>(names, pace->repeatDelay);
    }

    X11Repeats(const KeyNames& names, std::uint32_t repeatDelay)
        : m_names(names), m_longestGap(repeatDelay + latenessAllowed)
    {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        // Presses and releases share one layout.
        const auto* key = static_cast<const xcb_key_press_event_t*>(message);
        switch (key->response_type & ~0x80) {
        case XCB_KEY_PRESS: {
            const auto [last, isNew] = m_lastPress.try_emplace(key->detail, key->time);
            const bool repeat = !isNew && key->time - last->second <= m_longestGap;
            last->second = key->time;
            return repeat && !m_names.knownToEditText(key->detail);
        }
        case XCB_KEY_RELEASE:
            m_lastPress.erase(key->detail);
            return false;
        default:
            return false;
        }
    }

private:
    // The server starts repeating a held key after its repeat delay, and then repeats it at
    // shorter intervals; a press that follows the last one of a key by more than that (and a
    // little for the server's own timer) is a new press.
    static constexpr std::uint32_t latenessAllowed = 100;

    const KeyNames& m_names;
    const std::uint32_t m_longestGap;
    // The server's time of the latest press of each key that is down.
    std::unordered_map<xcb_keycode_t, xcb_timestamp_t> m_lastPress;
};
#endif

// Where the platform marks a repeat itself (Wayland, Windows, macOS, and X11 where the server
// cannot help), the repeat of a key that does not edit text acts on nothing: no shortcut, no
// default button, no cancel. (Buttons already ignore marked repeats of Space.) On X11 the
// unmarked repeats are dropped before Qt sees them. Lives as long as the application.
class OnePress : public QObject
{
public:
    explicit OnePress(QGuiApplication& app) : QObject(&app)
    {
        app.installEventFilter(this);
#if defined(OSTREVANE_HAVE_XCB_XKB)
        // Answered on every platform of a build with X11 support, with no connection but X11's.
        const auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
        if (x11 != nullptr && x11->connection() != nullptr) {
            m_x11 = X11Repeats::ask(x11->connection(), m_names);
            if (m_x11 != nullptr) {
                app.installNativeEventFilter(m_x11.get());
            }
        }
#endif
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) {
            return false;
        }
        auto& key = *static_cast<QKeyEvent*>(event);
        if (!key.isAutoRepeat()) {
            m_names.learn(key);
            return false;
        }
        if (editsText(key)) {
            return false;
        }
        // An accepted shortcut check tells Qt that no shortcut is wanted; the key press that
        // follows is then dropped here too.
        key.accept();
        return true;
    }

private:
    KeyNames m_names;
#if defined(OSTREVANE_HAVE_XCB_XKB)
    std::unique_ptr<X11Repeats> m_x11;
#endif
};

} // namespace

void actOncePerPress(QGuiApplication& app)
{
    new OnePress(app);
}

} // namespace heldkeys
