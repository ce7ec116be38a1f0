#include "clocktimer.h"

#include <QAbstractEventDispatcher>
#include <QTimerEvent>

namespace clockcore {

ClockTimer::ClockTimer(int intervalMilliseconds, QObject* parent)
    : QObject(parent), m_interval(intervalMilliseconds)
{}

void ClockTimer::setEnabled(bool enabled)
{
    if (enabled == m_tick.isActive()) {
        return;
    }
    if (!enabled) {
        m_tick.stop();
        m_wakeUp.stop();
    } else {
        // A coarse timer may fire tens of milliseconds early, which would charge a whole
        // second for less than a second of thinking.
        m_tick.start(m_interval, Qt::PreciseTimer, this);
        armWakeUp();
    }
    emit runningChanged(enabled);
}

int ClockTimer::remainingTime() const
{
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread());
    if (!m_tick.isActive() || dispatcher == nullptr) {
        return -1;
    }
    return dispatcher->remainingTime(m_tick.timerId());
}

void ClockTimer::armWakeUp()
{
    if (m_interval > wakeUpLeadMilliseconds) {
        m_wakeUp.start(m_interval - wakeUpLeadMilliseconds, Qt::PreciseTimer, this);
    }
}

void ClockTimer::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_wakeUp.timerId()) {
        m_wakeUp.stop();
    } else if (event->timerId() == m_tick.timerId()) {
        // Armed before the tick's handlers run: one of them may wait for the user.
        armWakeUp();
        emit timeout();
    } else {
        QObject::timerEvent(event);
    }
}

} // namespace clockcore
