#include "placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace placement {

namespace {

// The frame (title bar and borders) that the window manager puts around the window. Before the
// manager has taken the window on, the frame of another of our windows that is up is the best
// guess: the same manager draws both.
QMargins expectedFrame(const QWidget& window)
{
    const QWindow* own = window.windowHandle();
    if (own != nullptr && !own->frameMargins().isNull()) {
        return own->frameMargins();
    }
    for (const QWindow* other : QGuiApplication::topLevelWindows()) {
        if (other != own && other->isVisible() && !other->frameMargins().isNull()) {
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

// Once the window first appears its real frame is known; when the guess was wrong, a window that
// the user has not moved meanwhile is centred again.
class FrameCheck : public QObject
{
public:
    FrameCheck(QWidget& window, QWindow& handle, const QMargins& guess, const QPoint& placedAt)
        : QObject(&window), m_window(window), m_guess(guess), m_placedAt(placedAt)
    {
        handle.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* handle = static_cast<QWindow*>(watched);
        if (event->type() == QEvent::Expose && handle->isExposed()) {
            const QMargins frame = handle->frameMargins();
            const QScreen* screen = m_window.screen();
            if (frame != m_guess && m_window.geometry().topLeft() == m_placedAt &&
                screen != nullptr) {
                m_window.setGeometry(centredClientArea(m_window, *screen, frame));
            }
            handle->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QWidget& m_window;
    QMargins m_guess;
    QPoint m_placedAt;
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
        new FrameCheck(window, *handle, frame, client.topLeft());
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

} // namespace placement
