#pragma once

// Helpers shared by the window tests.

#include <alertsound.h>
#include <clocktimer.h>
#include <dialog.h>
#include <form1.h>
#include <frmabout.h>
#include <help.h>
#include <keepawake.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace testsupport {

struct SeenMessage
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    Qt::WindowModality modality = Qt::NonModal;
};

// Answers every message box that comes up, recording what it showed the moment it shows. The
// program's boxes wait for their answer without an event loop of their own, so a box is answered
// a moment after it came up: waitForAnswers() waits for that. Polls, so it also catches boxes
// opened inside nested event loops.
class MessageBoxCloser : public QObject
{
public:
    MessageBoxCloser()
    {
        constexpr int pollMilliseconds = 5;
        m_timer.setInterval(pollMilliseconds);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { closeVisibleBoxes(); });
        m_timer.start();
        qApp->installEventFilter(this);
    }

    const std::vector<SeenMessage>& seen() const { return m_seen; }
    void clear() { m_seen.clear(); }
    // Runs while a box is open, before it is answered.
    void whileOpen(std::function<void(QMessageBox*)> action) { m_whileOpen = std::move(action); }
    bool waitForAnswers()
    {
        return QTest::qWaitFor([] { return openBoxes().isEmpty(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (auto* box = qobject_cast<QMessageBox*>(watched); box && event->type() == QEvent::Show) {
            record(box);
        }
        return false;
    }

private:
    static QList<QMessageBox*> openBoxes()
    {
        QList<QMessageBox*> open;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                open.append(box);
            }
        }
        return open;
    }
    void record(QMessageBox* box)
    {
        if (!m_recorded.contains(box)) {
            m_recorded.append(box);
            m_seen.push_back({box->windowTitle(), box->text(), box->icon(),
                              static_cast<int>(box->buttons().size()), box->windowModality()});
        }
    }
    void closeVisibleBoxes()
    {
        // A test that waits while a box is open must not have it answered under its feet.
        if (m_answering) {
            return;
        }
        const QScopedValueRollback answering(m_answering, true);
        for (QMessageBox* box : openBoxes()) {
            record(box);
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
        m_recorded.removeIf([](const QPointer<QMessageBox>& p) { return p.isNull(); });
    }

    QTimer m_timer;
    bool m_answering = false;
    std::function<void(QMessageBox*)> m_whileOpen;
    QList<QPointer<QMessageBox>> m_recorded;
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

// Records the display's hold instead of asking the desktop for it: held now, and how often let go.
struct RecordingKeepAwake : KeepAwake
{
    void setHeld(bool now) override { letGo += std::exchange(held, now) && !now ? 1 : 0; }
    bool held = false;
    int letGo = 0;
};

// The names of one side's controls in the clock window, each the mirror of the other side's.
struct SideNames
{
    const char *hours, *minutes, *seconds, *firstColon, *secondColon, *mark, *moves, *pushButton,
        *timer;
};

constexpr SideNames namesOf(clockcore::Side side)
{
    if (side == clockcore::Side::Left) {
        return {"lblHoursLeft", "lblMinLeft", "lblSecLeft", "lblDot1", "lblDot2",
                "Label3",       "MovesLeft",  "Command2",   "Timer1"};
    }
    return {"lblHoursRight", "lblMinRight", "lblSecRight", "lblDot3", "lblDot4",
            "Label4",        "MovesRight",  "Command1",    "Timer2"};
}

inline const char* sideName(clockcore::Side side)
{
    return side == clockcore::Side::Left ? "left" : "right";
}

// The settings dialog's four texts: left hours and minutes, right hours and minutes.
inline QStringList fieldsOf(const Dialog* dialog)
{
    return {dialog->leftHoursText(), dialog->leftMinutesText(), dialog->rightHoursText(),
            dialog->rightMinutesText()};
}

// Lets deleteLater() and WA_DeleteOnClose take effect now.
inline void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

enum class Windows
{
    All,
    Shown
};

template <typename T> int windowsOfType(Windows which = Windows::All)
{
    int count = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const bool counted = which == Windows::All || window->isVisible();
        count += qobject_cast<T*>(window) != nullptr && counted ? 1 : 0;
    }
    return count;
}

// Replaces a field's text the way a player does: focus, select all, type. Each character is
// one key event carrying it, as a keyboard of any script sends (QTest's own typing only knows
// Latin-1).
inline bool typeInto(QWidget* field, const QString& text)
{
    if (auto* combo = qobject_cast<QComboBox*>(field)) {
        field = combo->lineEdit();
    }
    field->setFocus(Qt::OtherFocusReason);
    if (!QTest::qWaitFor([field] { return field->hasFocus(); })) {
        return false;
    }
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    return qobject_cast<QLineEdit*>(field)->text() == text;
}

// A click on the control through its window, as the windowing system delivers one (so that a
// window that a modal message blocks does not take it).
inline void clickThroughWindow(QWidget* control)
{
    QTest::mouseClick(control->window()->windowHandle(), Qt::LeftButton, {},
                      control->mapTo(control->window(), control->rect().center()));
}

// Makes `window` the active window, as a player's click would; keys and shortcuts reach only
// the active window, and an answered message box may have left none active offscreen.
inline bool activate(QWidget* window)
{
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// Shows a window and waits until it is active, so that keys reach its focused control.
inline bool showActive(QWidget* window)
{
    window->show();
    return activate(window);
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
        auto keepAwake = std::make_unique<RecordingKeepAwake>();
        awake = keepAwake.get();
        form->setKeepAwake(std::move(keepAwake));
        return showActive(form.get());
    }
    void closeClockWindow()
    {
        form.reset();
        boxes.reset();
    }
    template <typename T> T* find(const QString& name) const { return form->findChild<T*>(name); }
    QLabel* label(const QString& name) const { return find<QLabel>(name); }
    QPushButton* button(const QString& name) const { return find<QPushButton>(name); }
    QLabel* label(clockcore::Side side, const char* SideNames::*which) const
    {
        return label(QString::fromLatin1(namesOf(side).*which));
    }
    // A clock as it reads: "h:m:s".
    QString shown(clockcore::Side side) const
    {
        return label(side, &SideNames::hours)->text() + ':' +
               label(side, &SideNames::minutes)->text() + ':' +
               label(side, &SideNames::seconds)->text();
    }
    bool runs(clockcore::Side side) const
    {
        return find<clockcore::ClockTimer>(QString::fromLatin1(namesOf(side).timer))->isEnabled();
    }
    // One tick of that side's clock; a time-out's message is answered before it returns. False
    // when a message stays unanswered: QVERIFY(tick(side)).
    [[nodiscard]] bool tick(clockcore::Side side)
    {
        side == clockcore::Side::Left ? form->Timer1_Timer() : form->Timer2_Timer();
        return boxes->waitForAnswers();
    }
    // The push of that player, as his button's handler makes it.
    void pushBy(clockcore::Side pusher)
    {
        pusher == clockcore::Side::Left ? form->Command2_Click() : form->Command1_Click();
    }

    // One step of play, by real input or by the clock's own calls: "click1", "click2", "space",
    // "ctrl L", "pause", "reset", "alt P", "tick L 3" (three ticks of the left clock) or
    // "seconds R 60" (the right clock set to 60 s).
    void perform(const QString& action)
    {
        const QStringList words = action.split(' ');
        const QString& verb = words.front();
        const clockcore::Side side =
            words.value(1) == "R" ? clockcore::Side::Right : clockcore::Side::Left;
        if (!form->isActiveWindow()) {
            QVERIFY(activate(form.get()));
        }
        if (verb == "click1" || verb == "click2") {
            QTest::mouseClick(button(verb == "click1" ? "Command1" : "Command2"), Qt::LeftButton);
        } else if (verb == "space") {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        } else if (verb == "ctrl") {
            const Qt::Key key = static_cast<Qt::Key>(words.at(1).at(0).unicode());
            QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
        } else if (verb == "pause" || verb == "reset") {
            QTest::mouseClick(button(verb == "pause" ? "CommPause" : "CommReset"), Qt::LeftButton);
        } else if (verb == "alt") {
            // An access key clicks its button with a short animation, after the key.
            auto* button = find<QPushButton>(words.at(1) == "P" ? "CommPause" : "CommReset");
            QTest::keyClick(QApplication::focusWidget(), words.at(1).at(0).toLower().unicode(),
                            Qt::AltModifier);
            QTRY_VERIFY(!button->isDown());
        } else if (verb == "tick") {
            for (int i = 0; i < words.at(2).toInt(); ++i) {
                QVERIFY(tick(side));
            }
        } else if (verb == "seconds") {
            form->clockState().seconds(side) = static_cast<qint16>(words.at(2).toInt());
        } else {
            QFAIL(qPrintable("unknown step " + action));
        }
    }

    std::unique_ptr<Form1> form;
    std::unique_ptr<MessageBoxCloser> boxes;
    int beeps = 0;
    RecordingKeepAwake* awake = nullptr; // owned by the window
};

} // namespace testsupport

Q_DECLARE_METATYPE(clockcore::Side)
