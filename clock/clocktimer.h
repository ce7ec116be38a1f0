#pragma once

#include <QBasicTimer>
#include <QObject>

namespace clockcore {

// A clock's one-second timer. Enabled, it ticks every interval on a schedule that each tick
// computes from the last deadline, so that errors never add up; disabled, it drops the part of
// the interval it has run. Enabling a clock that already runs keeps its schedule: a restart
// would let the side that is thinking keep the part of a second it has already used.
//
// Waiting almost a whole interval, an event loop's sleep ends late: the system lets a sleep
// that long end up to a thousandth of it late, on top of the event loop rounding every sleep up
// to a whole millisecond. So the timer also wakes the event loop shortly before each tick, which
// leaves a last sleep short enough to end on time. The wake-up does nothing else.
class ClockTimer : public QObject
{
    Q_OBJECT

public:
    static constexpr int wakeUpLeadMilliseconds = 20;

    explicit ClockTimer(int intervalMilliseconds, QObject* parent = nullptr);

    int interval() const { return m_interval; }
    bool isEnabled() const { return m_tick.isActive(); }
    void setEnabled(bool enabled);
    // Milliseconds until the next tick; -1 while disabled.
    int remainingTime() const;

signals:
    void timeout();
    // The clock has started or stopped.
    void runningChanged(bool running);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void armWakeUp();

    int m_interval;
    QBasicTimer m_tick;
    QBasicTimer m_wakeUp;
};

} // namespace clockcore
