#include "placement.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

namespace placement {

namespace {

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

void centreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return;
    }
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
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
