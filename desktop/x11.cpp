#include "x11.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>

#include <array>

namespace x11 {

namespace {

// One filter for every part, so that the order in which they hear an event is written down here
// rather than left to the order in which they were installed.
class InputFilter final : public QObject, public QAbstractNativeEventFilter
{
public:
    // Goes with the application; the filter's own destructor takes it off the event loop.
    explicit InputFilter(QCoreApplication& app) : QObject(&app)
    {
        app.installNativeEventFilter(this);
    }

    static InputFilter& instance()
    {
        static InputFilter* filter = new InputFilter(*QCoreApplication::instance());
        return *filter;
    }

    void set(Listener part, std::function<bool(const xcb_generic_event_t&)> hear)
    {
        m_parts[static_cast<std::size_t>(part)] = std::move(hear);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        const auto& event = *static_cast<const xcb_generic_event_t*>(message);
        for (const auto& hear : m_parts) {
            if (hear && hear(event)) {
                return true;
            }
        }
        return false;
    }

private:
    std::array<std::function<bool(const xcb_generic_event_t&)>, 2> m_parts;
};

} // namespace

xcb_connection_t* connection()
{
    const auto* x11 = qGuiApp != nullptr
                          ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                          : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

const xcb_query_extension_reply_t* extension(xcb_extension_t& id)
{
    const xcb_query_extension_reply_t* reply = xcb_get_extension_data(connection(), &id);
    return reply != nullptr && reply->present != 0 ? reply : nullptr;
}

void listen(Listener part, std::function<bool(const xcb_generic_event_t&)> hear)
{
    InputFilter::instance().set(part, std::move(hear));
}

} // namespace x11
