#include "heldkeys.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QKeyEvent>

#include <bitset>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <unordered_map>

#if defined(OSTREVANE_HAVE_XCB_INPUT)
#include <xcb/xcb.h>
#include <xcb/xinput.h>
// The header names a member "explicit", which C++ reserves.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#endif

namespace heldkeys {

namespace {

// Keys whose every repeat does what a user holding them means: another character, another step
// of the cursor. Any other key acts when it goes down (Enter and Esc in a dialog, Tab with the
// field's check, a shortcut or an access key) or when it comes up after going down (Space on a
// button), and a repeat would act again. Held with Ctrl, Alt or Meta, every key is a command.
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

#if defined(OSTREVANE_HAVE_XCB_INPUT)
// The same rule for a key symbol as X11 names it (the symbol of the key pressed alone).
bool editsText(std::uint32_t keysym)
{
    constexpr std::uint32_t firstUnicode = 0x01000100;
    constexpr std::uint32_t lastUnicode = 0x0110ffff;
    constexpr std::uint32_t firstFunctionKey = 0xfe00;
    switch (keysym) {
    case 0xff08: // BackSpace
    case 0xffff: // Delete
    case 0xff51: // Left
    case 0xff52: // Up
    case 0xff53: // Right
    case 0xff54: // Down
        return true;
    case 0x0020: // space
    case 0x0000: // no symbol
        return false;
    default:
        break;
    }
    // The keypad's cursor keys and digits, and its operators.
    if ((keysym >= 0xff95 && keysym <= 0xff9f) || (keysym >= 0xffaa && keysym <= 0xffb9)) {
        return true;
    }
    // Characters of every script: below the function keys, or named by their code point.
    return keysym < firstFunctionKey || (keysym >= firstUnicode && keysym <= lastUnicode);
}

// X11 repeats a held key as a release followed by a press. Qt marks such a pair as a repeat only
// when it finds the press already queued as it handles the release, and on a busy machine it often
// does not: each repeat then acts as a press of its own. So the server is asked to leave out the
// releases of a held key for this program (XKB's "detectable auto-repeat"), and a key is down from
// its press to its release: a press of a key that is down is a repeat, dropped before Qt sees it,
// unless it edits text. No time is measured, so no load on the program can fool the rule.
//
// A release can go to another program: the focus moves on when a window closes on a key's press,
// and where it lands is up to the window manager. The input extension reports every release of
// the keyboard to the root window, wherever the focus is ("raw" events), so none is missed.
class X11HeldKeys : public QAbstractNativeEventFilter
{
public:
    // Null where the server cannot help; the repeats then stay as Qt reports them.
    static std::unique_ptr<X11HeldKeys> ask(xcb_connection_t* connection)
    {
        // A request to an extension that the server lacks would close the connection.
        const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection, &xcb_xkb_id);
        const xcb_query_extension_reply_t* input =
            xcb_get_extension_data(connection, &xcb_input_id);
        if (xkb == nullptr || xkb->present == 0 || input == nullptr || input->present == 0 ||
            !hearReleasesEverywhere(connection)) {
            return nullptr;
        }
        constexpr std::uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        std::unique_ptr<xcb_xkb_per_client_flags_reply_t, decltype(&std::free)> granted(
            xcb_xkb_per_client_flags_reply(
                connection,
                xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0),
                nullptr),
            &std::free);
        if (granted == nullptr || (granted->value & flag) == 0) {
            return nullptr;
        }
        return std::make_unique<X11HeldKeys>(connection, xkb->first_event, input->major_opcode);
    }

    X11HeldKeys(xcb_connection_t* connection, std::uint8_t xkbEvent, std::uint8_t inputOpcode)
        : m_connection(connection), m_xkbEvent(xkbEvent), m_inputOpcode(inputOpcode)
    {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const std::uint8_t type = event->response_type & ~0x80;
        if (type == XCB_KEY_PRESS) {
            const auto* key = static_cast<const xcb_key_press_event_t*>(message);
            if (!m_down.test(key->detail)) {
                m_down.set(key->detail);
                return false;
            }
            return !repeatEditsText(*key);
        }
        if (type == XCB_KEY_RELEASE) {
            m_down.reset(static_cast<const xcb_key_release_event_t*>(message)->detail);
        } else if (type == XCB_GE_GENERIC) {
            const auto* generic = static_cast<const xcb_ge_generic_event_t*>(message);
            if (generic->extension == m_inputOpcode &&
                generic->event_type == XCB_INPUT_RAW_KEY_RELEASE) {
                const auto* raw = static_cast<const xcb_input_raw_key_release_event_t*>(message);
                m_down.reset(raw->detail & 0xff);
            }
        } else if (type == XCB_MAPPING_NOTIFY ||
                   (type == m_xkbEvent && (event->pad0 == XCB_XKB_NEW_KEYBOARD_NOTIFY ||
                                           event->pad0 == XCB_XKB_MAP_NOTIFY))) {
            // The keyboard's layout changed: what each key types is asked again.
            m_keysyms.clear();
        }
        return false;
    }

private:
    static bool hearReleasesEverywhere(xcb_connection_t* connection)
    {
        struct
        {
            xcb_input_event_mask_t head;
            std::uint32_t mask;
        } releases{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE};
        for (auto roots = xcb_setup_roots_iterator(xcb_get_setup(connection)); roots.rem;
             xcb_screen_next(&roots)) {
            std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(
                xcb_request_check(connection, xcb_input_xi_select_events_checked(
                                                  connection, roots.data->root, 1, &releases.head)),
                &std::free);
            if (error != nullptr) {
                return false;
            }
        }
        return true;
    }

    bool repeatEditsText(const xcb_key_press_event_t& key)
    {
        constexpr std::uint16_t commandModifiers =
            XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4; // Ctrl, Alt, Meta
        return (key.state & commandModifiers) == 0 && editsText(keysymOf(key.detail));
    }

    // What the key types pressed alone, as the server's keyboard map says: asked the first time
    // the key repeats, and again after the map changes.
    std::uint32_t keysymOf(xcb_keycode_t keycode)
    {
        if (const auto known = m_keysyms.find(keycode); known != m_keysyms.end()) {
            return known->second;
        }
        std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> map(
            xcb_get_keyboard_mapping_reply(
                m_connection, xcb_get_keyboard_mapping(m_connection, keycode, 1), nullptr),
            &std::free);
        const std::uint32_t keysym =
            map != nullptr && xcb_get_keyboard_mapping_keysyms_length(map.get()) > 0
                ? xcb_get_keyboard_mapping_keysyms(map.get())[0]
                : 0;
        m_keysyms.emplace(keycode, keysym);
        return keysym;
    }

    xcb_connection_t* m_connection;
    const std::uint8_t m_xkbEvent;
    const std::uint8_t m_inputOpcode;
    std::bitset<256> m_down;
    std::unordered_map<xcb_keycode_t, std::uint32_t> m_keysyms;
};
#endif

// Where the platform marks a repeat itself (Wayland, Windows, macOS, and X11 where the server
// cannot help), the repeat of a key that does not edit text acts on nothing: no shortcut, no
// default button, no cancel. (Buttons already ignore marked repeats of Space.) On X11 the repeats
// are dropped before Qt sees them. Lives as long as the application.
class OnePress : public QObject
{
public:
    explicit OnePress(QGuiApplication& app) : QObject(&app)
    {
        app.installEventFilter(this);
#if defined(OSTREVANE_HAVE_XCB_INPUT)
        // Answered on every platform of a build with X11 support, with no connection but X11's.
        const auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
        if (x11 != nullptr && x11->connection() != nullptr) {
            m_x11 = X11HeldKeys::ask(x11->connection());
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
        if (!key.isAutoRepeat() || editsText(key)) {
            return false;
        }
        // An accepted shortcut check tells Qt that no shortcut is wanted; the key press that
        // follows is then dropped here too.
        key.accept();
        return true;
    }

private:
#if defined(OSTREVANE_HAVE_XCB_INPUT)
    std::unique_ptr<X11HeldKeys> m_x11;
#endif
};

} // namespace

void actOncePerPress(QGuiApplication& app)
{
    new OnePress(app);
}

} // namespace heldkeys
