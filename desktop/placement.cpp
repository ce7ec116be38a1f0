#include "placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace placement {

namespace {

// While a window manager is still taking a window on, the window's frame can be read before the
// manager has given it its size (under KWin: margins of minus the window's size); such a reading
// says nothing yet.
bool settled(const QMargins& frame)
{
    return frame.left() >= 0 && frame.top() >= 0 && frame.right() >= 0 && frame.bottom() >= 0;
}

// The frame (title bar and borders) that the window manager puts around the window. Before the
// manager has taken the window on, the frame of another of our windows that is up is the best
// guess: the same manager draws both.
QMargins expectedFrame(const QWidget& window)
{
    const QWindow* own = window.windowHandle();
    if (own != nullptr && !own->frameMargins().isNull() && settled(own->frameMargins())) {
        return own->frameMargins();
    }
    for (const QWindow* other : QGuiApplication::topLevelWindows()) {
        if (other != own && other->isVisible() && !other->frameMargins().isNull() &&
            settled(other->frameMargins())) {
            return other->frameMargins();
        }
    }
    return {};
}

QRect centredClientArea(const QWidget& window, const QScreen& screen, const QMargins& frame)
{
    QRect outer(QPoint(), window.size().grownBy(frame));
    outer.moveCenter(screen.availableGeometry().center());
    return QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), window.size());
}

// A window manager frames a new window in steps after it first appears (KWin gives the frame
// its size, then its title bar), and nothing tells when it is done. So for a short while after
// the window first appears, whenever its frame turns out other than the one it was centred
// with, it is centred again with the frame it has by then. No frame at all, where the manager
// frames our other windows, only means that it has not framed this one yet.
class FrameSettling : public QObject
{
public:
    FrameSettling(QWidget& window, QWindow& handle, const QMargins& guess)
        : QObject(&window), m_window(window), m_guess(guess), m_centredWith(guess)
    {
        handle.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* handle = static_cast<QWindow*>(watched);
        switch (event->type()) {
        case QEvent::Expose:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::FocusIn:
            if (handle->isExposed()) {
                if (!m_settling) {
                    m_settling = true;
                    QTimer::singleShot(settlingMilliseconds, this, [this, handle] {
                        centreWithFrame(*handle);
                        handle->removeEventFilter(this);
                        deleteLater();
                    });
                }
                centreWithFrame(*handle);
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    static constexpr int settlingMilliseconds = 1500;

    void centreWithFrame(const QWindow& handle)
    {
        const QMargins frame = handle.frameMargins();
        const QScreen* screen = m_window.screen();
        const bool framedYet = !frame.isNull() || m_guess.isNull();
        if (!settled(frame) || !framedYet || frame == m_centredWith || screen == nullptr) {
            return;
        }
        m_centredWith = frame;
        m_window.setGeometry(centredClientArea(m_window, *screen, frame));
    }

    QWidget& m_window;
    const QMargins m_guess;
    QMargins m_centredWith;
    bool m_settling = false;
};

// Watches a window until its first show, which it sees before the window is mapped.
class FirstShowCentring : public QObject
{
public:
    explicit FirstShowCentring(QWidget& window) : QObject(&window)
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            centreOnScreen(*static_cast<QWidget*>(watched));
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

} // namespace

bool compositorPlacesWindows()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void placeClientArea(QWidget& window, const QRect& clientArea)
{
    if (compositorPlacesWindows()) {
        window.resize(clientArea.size());
    } else {
        window.setGeometry(clientArea);
    }
}

void centreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (screen == nullptr || compositorPlacesWindows()) {
        return;
    }
    const QMargins frame = expectedFrame(window);
    const QRect client = centredClientArea(window, *screen, frame);
    // setGeometry places the client area; the window manager puts the frame around it.
    window.setGeometry(client);
    if (QWindow* handle = window.windowHandle(); handle != nullptr && !handle->isExposed()) {
        new FrameSettling(window, *handle, frame);
    }
}

void centreWhenFirstShown(QWidget& window)
{
    new FirstShowCentring(window);
}

void showInFront(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

void showInFrontOf(QWidget& message, const QWidget& window)
{
    // A dialog without a parent is centred over its transient parent when it shows; without
    // one, Qt would centre it on whichever screen the mouse pointer happens to be.
    if (QWindow* parent = window.windowHandle(); parent != nullptr) {
        message.winId();
        message.windowHandle()->setTransientParent(parent);
    }
    showInFront(message);
}

} // namespace placement
