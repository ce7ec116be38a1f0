#pragma once

// The one way in from the X server for the program's X11 parts (held keys, blocked windows, the
// screen saver): Qt's own connection, the server's answers owned as they should be, and one filter
// that hands each event to the parts in a fixed order.

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>

namespace x11 {

// Qt's connection to the X server; null where the program does not run on X11.
xcb_connection_t* connection();

// Whether the server offers the extension: a request to one that it lacks would close the
// connection. Known to the connection from its start, so asking waits for nothing.
const xcb_query_extension_reply_t* extension(xcb_extension_t& id);

struct Free
{
    void operator()(void* memory) const { std::free(memory); }
};
// A reply or error of the server's, which the caller frees.
template <typename Reply> using Owned = std::unique_ptr<Reply, Free>;

// The answer to a request sent now. Either read when first needed, by when it has long come
// (get()), or taken only once it is there (arrived()), so that no event waits for the server.
template <typename Reply> class Answer
{
public:
    Answer() = default;
    // The connection is Qt's, which outlives the application object: an answer that is still
    // pending as the program ends is discarded on it then.
    explicit Answer(unsigned int sequence)
        : m_connection(connection()), m_sequence(sequence), m_pending(true)
    {}
    Answer(Answer&& other) noexcept { *this = std::move(other); }
    Answer& operator=(Answer&& other) noexcept
    {
        discard();
        m_connection = other.m_connection;
        m_sequence = other.m_sequence;
        m_pending = std::exchange(other.m_pending, false);
        m_reply = std::move(other.m_reply);
        return *this;
    }
    ~Answer() { discard(); }

    unsigned int sequence() const { return m_sequence; }
    bool pending() const { return m_pending; }

    // Waits for the answer if it has not come yet; null when the server refused.
    const Reply* get()
    {
        if (m_pending) {
            m_pending = false;
            m_reply.reset(
                static_cast<Reply*>(xcb_wait_for_reply(m_connection, m_sequence, nullptr)));
        }
        return m_reply.get();
    }

    // The answer once it has come (a refusal included), taken once; null before, and after.
    Owned<Reply> arrived()
    {
        void* reply = nullptr;
        if (!m_pending || xcb_poll_for_reply(m_connection, m_sequence, &reply, nullptr) == 0) {
            return nullptr;
        }
        m_pending = false;
        return Owned<Reply>(static_cast<Reply*>(reply));
    }

private:
    void discard()
    {
        if (std::exchange(m_pending, false)) {
            xcb_discard_reply(m_connection, m_sequence);
        }
    }

    xcb_connection_t* m_connection = nullptr;
    unsigned int m_sequence = 0;
    bool m_pending = false;
    Owned<Reply> m_reply;
};

// Whether the server made the event after it had taken the request: an answer to that request
// then tells the state in which the event found the server.
inline bool madeAfter(const xcb_generic_event_t& event, unsigned int request)
{
    // Every event carries the number of the last request the server had read, widened by xcb.
    return static_cast<std::int32_t>(event.full_sequence - request) >= 0;
}

// The parts that hear the server's events, in the order in which they hear each.
enum class Listener
{
    HeldKeys,       // first: a key's repeat that it drops reaches nobody else
    BlockedWindows, // then: a close request that it drops comes back later, sent anew
};

// Hands each event from the server to `hear` before Qt reads it; `hear` returns true to drop
// it. One part of each kind; the filter lives as long as the application.
void listen(Listener part, std::function<bool(const xcb_generic_event_t&)> hear);

} // namespace x11
