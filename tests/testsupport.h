#pragma once

// Helpers shared by the window tests.

#include <alertsound.h>
#include <form1.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace testsupport {

struct SeenMessage
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
};

// Answers every message box that comes up (the program's message boxes are modal and would
// otherwise block the test), recording what it showed. Polls, so it also catches boxes opened
// inside nested event loops.
class MessageBoxCloser : public QObject
{
public:
    MessageBoxCloser()
    {
        constexpr int pollMilliseconds = 5;
        m_timer.setInterval(pollMilliseconds);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { closeVisibleBoxes(); });
        m_timer.start();
    }

    const std::vector<SeenMessage>& seen() const { return m_seen; }
    void clear() { m_seen.clear(); }
    // Runs while a box is open, before it is answered (inside the box's own event loop).
    void whileOpen(std::function<void(QMessageBox*)> action) { m_whileOpen = std::move(action); }

private:
    void closeVisibleBoxes()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box == nullptr || !box->isVisible() || m_answered.contains(box)) {
                continue;
            }
            m_answered.append(box);
            m_seen.push_back({box->windowTitle(), box->text(), box->icon(),
                              static_cast<int>(box->buttons().size())});
            if (m_whileOpen) {
                m_whileOpen(box);
            }
            QAbstractButton* button = box->buttons().value(0);
            if (button != nullptr) {
                button->click();
            } else {
                box->close();
            }
        }
        m_answered.removeIf([](const QPointer<QMessageBox>& p) { return p.isNull(); });
    }

    QTimer m_timer;
    std::function<void(QMessageBox*)> m_whileOpen;
    QList<QPointer<QMessageBox>> m_answered;
    std::vector<SeenMessage> m_seen;
};

// Counts the low-time warnings instead of sounding them.
class CountingAlertSound : public AlertSound
{
public:
    explicit CountingAlertSound(int* count) : m_count(count) {}
    void play() override { ++*m_count; }

private:
    int* m_count;
};

// Makes `window` the active window, as a player's click would; keys and shortcuts reach only
// the active window, and an answered message box may have left none active offscreen.
inline bool activate(QWidget* window)
{
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// A shown, active clock window whose warnings are counted and whose message boxes are
// answered; a test class derives from it and opens the window in init().
class ClockWindowFixture
{
protected:
    bool openClockWindow()
    {
        beeps = 0;
        boxes = std::make_unique<MessageBoxCloser>();
        form = std::make_unique<Form1>();
        form->setAlertSound(std::make_unique<CountingAlertSound>(&beeps));
        form->show();
        return activate(form.get());
    }
    void closeClockWindow()
    {
        form.reset();
        boxes.reset();
    }
    template <typename T> T* find(const QString& name) const { return form->findChild<T*>(name); }

    std::unique_ptr<Form1> form;
    std::unique_ptr<MessageBoxCloser> boxes;
    int beeps = 0;
};

} // namespace testsupport
