#include "heldkeys.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include <bitset>
#include <cstdint>
#include <memory>
#include <vector>

#if defined(OSTREVANE_HAVE_XCB_INPUT)
#include "x11.h"

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
// unless it edits text. No time is measured, so no load on the program can fool the rule, and no
// key waits for the server: what each key types is read ahead, at start and after each change of
// the keyboard's layout.
//
// A release can go to another program: the focus moves on when a window closes on a key's press,
// and where it lands is up to the window manager. The input extension reports every release of
// the keyboard to the root window, wherever the focus is ("raw" events); the program asks for them
// only while a key of its own is down, so that it hears nothing of what is typed into other
// programs. Should a release be lost all the same, its key's next press would pass for a repeat:
// so whenever a window of the program gains the keyboard, the server is asked which keys are down,
// and the others are forgotten.
class X11HeldKeys
{
public:
    // Null where the server cannot help; the repeats then stay as Qt reports them.
    static std::unique_ptr<X11HeldKeys> ask()
    {
        xcb_connection_t* connection = x11::connection();
        const xcb_query_extension_reply_t* xkb = x11::extension(xcb_xkb_id);
        const xcb_query_extension_reply_t* input = x11::extension(xcb_input_id);
        if (xkb == nullptr || input == nullptr) {
            return nullptr;
        }
        // Asked once, at start: whether the server leaves out a held key's releases, and takes the
        // input extension's selections.
        constexpr std::uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        const x11::Owned<xcb_xkb_per_client_flags_reply_t> granted(xcb_xkb_per_client_flags_reply(
            connection,
            xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0),
            nullptr));
        auto keys = std::make_unique<X11HeldKeys>(xkb->first_event, input->major_opcode);
        if (granted == nullptr || (granted->value & flag) == 0 || !keys->selectReleases(false)) {
            return nullptr;
        }
        keys->readKeyboardMap();
        return keys;
    }

    X11HeldKeys(std::uint8_t xkbEvent, std::uint8_t inputOpcode)
        : m_xkbEvent(xkbEvent), m_inputOpcode(inputOpcode)
    {}

    // True drops the event: the repeat of a key that does not edit text.
    bool hear(const xcb_generic_event_t& event)
    {
        takeAnswers(event);
        const std::uint8_t type = event.response_type & ~0x80;
        if (type == XCB_KEY_PRESS) {
            const auto& key = reinterpret_cast<const xcb_key_press_event_t&>(event);
            if (!m_down.test(key.detail)) {
                setDown(key.detail, true);
                return false;
            }
            return !repeatEditsText(key);
        }
        if (type == XCB_KEY_RELEASE) {
            setDown(reinterpret_cast<const xcb_key_release_event_t&>(event).detail, false);
        } else if (type == XCB_GE_GENERIC) {
            const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
            if (generic.extension == m_inputOpcode &&
                generic.event_type == XCB_INPUT_RAW_KEY_RELEASE) {
                setDown(reinterpret_cast<const xcb_input_raw_key_release_event_t&>(event).detail &
                            0xff,
                        false);
            }
        } else if (type == XCB_FOCUS_IN) {
            xcb_connection_t* connection = x11::connection();
            m_keysDown =
                x11::Answer<xcb_query_keymap_reply_t>(xcb_query_keymap(connection).sequence);
            xcb_flush(connection);
        } else if (type == XCB_MAPPING_NOTIFY ||
                   (type == m_xkbEvent && (event.pad0 == XCB_XKB_NEW_KEYBOARD_NOTIFY ||
                                           event.pad0 == XCB_XKB_MAP_NOTIFY))) {
            readKeyboardMap();
        }
        return false;
    }

private:
    void setDown(xcb_keycode_t key, bool down)
    {
        const bool wasListening = m_down.any();
        m_down.set(key, down);
        if (m_down.any() != wasListening) {
            selectReleases(m_down.any());
        }
    }

    // Raw releases on every root window, or none; checked only when asked to hear none at start.
    bool selectReleases(bool hear)
    {
        xcb_connection_t* connection = x11::connection();
        struct
        {
            xcb_input_event_mask_t head;
            std::uint32_t mask;
        } releases{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
                   hear ? std::uint32_t{XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE} : 0};
        bool accepted = true;
        for (auto roots = xcb_setup_roots_iterator(xcb_get_setup(connection)); roots.rem;
             xcb_screen_next(&roots)) {
            if (hear) {
                xcb_input_xi_select_events(connection, roots.data->root, 1, &releases.head);
                continue;
            }
            const x11::Owned<xcb_generic_error_t> error(xcb_request_check(
                connection, xcb_input_xi_select_events_checked(connection, roots.data->root, 1,
                                                               &releases.head)));
            accepted = accepted && error == nullptr;
        }
        xcb_flush(connection);
        return accepted;
    }

    void readKeyboardMap()
    {
        xcb_connection_t* connection = x11::connection();
        const xcb_setup_t* setup = xcb_get_setup(connection);
        m_mapAsked = x11::Answer<xcb_get_keyboard_mapping_reply_t>(
            xcb_get_keyboard_mapping(connection, setup->min_keycode,
                                     setup->max_keycode - setup->min_keycode + 1)
                .sequence);
        xcb_flush(connection);
    }

    // What the server has answered by the time this event is read.
    void takeAnswers(const xcb_generic_event_t& event)
    {
        if (const auto map = m_mapAsked.arrived(); map != nullptr) {
            const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(map.get());
            m_keysyms.assign(keysyms, keysyms + xcb_get_keyboard_mapping_keysyms_length(map.get()));
            m_firstKeycode = xcb_get_setup(x11::connection())->min_keycode;
            m_keysymsPerKey = map->keysyms_per_keycode;
        }
        // The keys that were down when the server took the question: applied before the first
        // event that it made after, so that no press of a key still in the queue is forgotten.
        if (m_keysDown.pending() && x11::madeAfter(event, m_keysDown.sequence())) {
            if (const auto keys = m_keysDown.arrived(); keys != nullptr) {
                std::bitset<256> down;
                for (std::size_t key = 0; key < down.size(); ++key) {
                    down.set(key, ((keys->keys[key / 8] >> (key % 8)) & 1) != 0);
                }
                const bool wasListening = m_down.any();
                m_down &= down;
                if (wasListening && m_down.none()) {
                    selectReleases(false);
                }
            }
        }
    }

    bool repeatEditsText(const xcb_key_press_event_t& key) const
    {
        constexpr std::uint16_t commandModifiers =
            XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4; // Ctrl, Alt, Meta
        return (key.state & commandModifiers) == 0 && editsText(keysymOf(key.detail));
    }

    // What the key types pressed alone, as the keyboard map last read says.
    std::uint32_t keysymOf(xcb_keycode_t keycode) const
    {
        const std::size_t index =
            static_cast<std::size_t>(keycode - m_firstKeycode) * m_keysymsPerKey;
        return keycode >= m_firstKeycode && index < m_keysyms.size() ? m_keysyms[index] : 0;
    }

    const std::uint8_t m_xkbEvent;
    const std::uint8_t m_inputOpcode;
    std::bitset<256> m_down;
    x11::Answer<xcb_get_keyboard_mapping_reply_t> m_mapAsked;
    x11::Answer<xcb_query_keymap_reply_t> m_keysDown;
    std::vector<xcb_keysym_t> m_keysyms;
    xcb_keycode_t m_firstKeycode = 0;
    std::uint8_t m_keysymsPerKey = 0;
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
        if (x11::connection() != nullptr) {
            m_x11 = X11HeldKeys::ask();
            if (m_x11 != nullptr) {
                x11::listen(x11::Listener::HeldKeys,
                            [keys = m_x11.get()](const xcb_generic_event_t& event) {
                                return keys->hear(event);
                            });
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
