// The clocks' timer on its own, in real time but with short intervals: the schedule a push keeps
// or drops, and the wake-up shortly before each tick.

#include <clocktimer.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimerEvent>

#include <algorithm>
#include <vector>

using clockcore::ClockTimer;

namespace {

constexpr int interval = 150;
constexpr int partOfInterval = 90;
// Scheduling on a busy machine; far less than the part of an interval the rules turn on.
constexpr int slack = 40;

// Every timer event the clock timer gets, with its time: the wake-ups and the ticks.
class TimerEvents : public QObject
{
public:
    explicit TimerEvents(ClockTimer& timer) : m_timer(timer)
    {
        timer.installEventFilter(this);
        // A tick is emitted from the timer event that the filter has just seen.
        connect(&timer, &ClockTimer::timeout, this, [this] { ticks.push_back(events.size() - 1); });
        m_clock.start();
    }
    std::vector<qint64> events;     // milliseconds since the start
    std::vector<std::size_t> ticks; // which of the events were ticks

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_timer && event->type() == QEvent::Timer) {
            events.push_back(m_clock.elapsed());
        }
        return false;
    }

private:
    ClockTimer& m_timer;
    QElapsedTimer m_clock;
};

} // namespace

class CoreTimerTest : public QObject
{
    Q_OBJECT

private slots:
    // Enabling a clock that runs keeps its schedule: the side that thinks keeps no part of a
    // second. Disabling drops the part already run: the next enabling starts a full interval.
    void enablingKeepsOrStartsTheSchedule_data()
    {
        QTest::addColumn<bool>("disableFirst");
        QTest::addColumn<int>("earliest");
        QTest::addColumn<int>("latest");
        QTest::newRow("enabled again while running") << false << interval << interval + slack;
        QTest::newRow("disabled, then enabled")
            << true << partOfInterval + interval << partOfInterval + interval + slack;
    }
    void enablingKeepsOrStartsTheSchedule()
    {
        QFETCH(bool, disableFirst);
        QFETCH(int, earliest);
        QFETCH(int, latest);
        ClockTimer timer(interval);
        QSignalSpy ticks(&timer, &ClockTimer::timeout);
        QElapsedTimer elapsed;
        timer.setEnabled(true);
        elapsed.start();
        QTest::qWait(partOfInterval);
        QVERIFY(ticks.isEmpty());
        if (disableFirst) {
            timer.setEnabled(false);
            QVERIFY(!timer.isEnabled());
            QCOMPARE(timer.remainingTime(), -1);
        }
        timer.setEnabled(true);
        QVERIFY(timer.isEnabled());
        QVERIFY(ticks.wait(2 * interval + slack));
        const qint64 took = elapsed.elapsed();
        QVERIFY2(took >= earliest && took <= latest,
                 qPrintable(QStringLiteral("first tick after %1 ms, expected %2 to %3")
                                .arg(took)
                                .arg(earliest)
                                .arg(latest)));
    }

    // A wake-up comes the lead before each tick, and none while the timer is disabled.
    void wakesUpTheLeadBeforeEachTick()
    {
        constexpr int ticksToSee = 5;
        ClockTimer timer(interval);
        TimerEvents seen(timer);
        timer.setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(seen.ticks.size() >= std::size_t{ticksToSee},
                                 ticksToSee * interval + 5 * slack);
        timer.setEnabled(false);
        const std::size_t eventsWhenDisabled = seen.events.size();

        // Ticks and wake-ups take turns, a wake-up first.
        QCOMPARE(seen.events.size(), 2 * seen.ticks.size());
        std::vector<qint64> leads;
        for (std::size_t i = 0; i < seen.ticks.size(); ++i) {
            QCOMPARE(seen.ticks[i], 2 * i + 1);
            leads.push_back(seen.events[2 * i + 1] - seen.events[2 * i]);
        }
        std::sort(leads.begin(), leads.end());
        const qint64 median = leads[leads.size() / 2];
        QVERIFY2(std::abs(median - ClockTimer::wakeUpLeadMilliseconds) <= 8,
                 qPrintable(QStringLiteral("the wake-up came %1 ms before the tick").arg(median)));

        QTest::qWait(interval + slack);
        QCOMPARE(seen.events.size(), eventsWhenDisabled);
    }
};

QTEST_GUILESS_MAIN(CoreTimerTest)
#include "tst_core_timer.moc"
