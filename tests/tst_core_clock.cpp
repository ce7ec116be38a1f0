// The clock core on its own: count-down, warning, time-out, pushes and pause, no window.

#include <clockcore.h>

#include <QTest>

using namespace clockcore;

Q_DECLARE_METATYPE(clockcore::Side)

class CoreClockTest : public QObject
{
    Q_OBJECT

private:
    static ClockState readyState(qint16 left, qint16 right)
    {
        ClockState state;
        startGame(state, left, right, bannerPeriodAtStartUp);
        return state;
    }

private slots:
    // What one tick of the running side leaves and shows, for both sides alike.
    void tickShowsAndWarns_data()
    {
        QTest::addColumn<Side>("side");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("warnSeconds");
        QTest::addColumn<int>("after");
        QTest::addColumn<bool>("warn");
        QTest::addColumn<bool>("timeOut");
        for (const Side side : {Side::Left, Side::Right}) {
            const char* name = side == Side::Left ? "left" : "right";
            QTest::addRow("%s 300 s first tick", name)
                << side << 300 << 60 << 299 << false << false;
            QTest::addRow("%s 60 leaves 59: warns", name)
                << side << 60 << 60 << 59 << true << false;
            QTest::addRow("%s 61 leaves 60: no warning", name)
                << side << 61 << 60 << 60 << false << false;
            QTest::addRow("%s 180 threshold leaves 179", name)
                << side << 180 << 180 << 179 << true << false;
            QTest::addRow("%s 181 leaves 180", name) << side << 181 << 180 << 180 << false << false;
            QTest::addRow("%s reaches zero", name) << side << 1 << 60 << 0 << true << true;
            QTest::addRow("%s already zero repeats", name) << side << 0 << 60 << 0 << true << true;
        }
    }
    void tickShowsAndWarns()
    {
        QFETCH(Side, side);
        QFETCH(int, before);
        QFETCH(int, warnSeconds);
        QFETCH(int, after);
        QFETCH(bool, warn);
        QFETCH(bool, timeOut);

        ClockState state = readyState(1234, 1234);
        state.seconds(side) = static_cast<qint16>(before);
        state.warnSeconds = static_cast<qint16>(warnSeconds);
        const TickResult result = tick(state, side);

        QCOMPARE(state.seconds(side), after);
        QCOMPARE(result.warn, warn);
        QCOMPARE(result.timeOut, timeOut);
        QCOMPARE(state.bannerTicks, 1);
    }

    // A clock runs down in exactly as many ticks as it holds seconds, warns on the last ticks
    // below its threshold and times out once, on the last of them; an empty clock that ticks
    // on keeps timing out, and the banner count stops at the top.
    void runsDownInExactlyItsSeconds_data()
    {
        QTest::addColumn<Side>("side");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<int>("bannerAfterOneMore");
        QTest::newRow("five minutes") << Side::Left << 300 << 60 << 301;
        QTest::newRow("the longest clock there is") << Side::Right << 32767 << 180 << 32767;
    }
    void runsDownInExactlyItsSeconds()
    {
        QFETCH(Side, side);
        QFETCH(int, seconds);
        QFETCH(int, warnings);
        QFETCH(int, bannerAfterOneMore);
        ClockState state = readyState(static_cast<qint16>(seconds), static_cast<qint16>(seconds));
        int warned = 0;
        int timeOuts = 0;
        int ticks = 0;
        while (timeOuts == 0) {
            const TickResult result = tick(state, side);
            warned += result.warn ? 1 : 0;
            timeOuts += result.timeOut ? 1 : 0;
            ++ticks;
            QVERIFY(ticks <= seconds);
        }
        QCOMPARE(ticks, seconds);
        QCOMPARE(warned, warnings);
        QCOMPARE(state.bannerTicks, seconds);
        QCOMPARE(state.seconds(side), 0);
        QCOMPARE(state.seconds(opponent(side)), seconds);
        const TickResult again = tick(state, side);
        QVERIFY(again.timeOut);
        QCOMPARE(state.seconds(side), 0);
        QCOMPARE(state.bannerTicks, bannerAfterOneMore);
    }

    void warnThresholdBoundaries_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("threshold");
        QTest::newRow("defaults") << 300 << 300 << 60;
        QTest::newRow("ten minutes each") << 600 << 600 << 180;
        QTest::newRow("left just below") << 599 << 7200 << 60;
        QTest::newRow("right just below") << 7200 << 540 << 60;
        QTest::newRow("long game") << 32767 << 3600 << 180;
    }
    void warnThresholdBoundaries()
    {
        QFETCH(int, left);
        QFETCH(int, right);
        QFETCH(int, threshold);
        QCOMPARE(warnThreshold(static_cast<qint16>(left), static_cast<qint16>(right)), threshold);
    }

    // The first push of a game counts nothing, every push after it one move: each side's push
    // consults its own copy of the started flag, and sets both.
    void pushCountsOnceStarted_data()
    {
        QTest::addColumn<Side>("pusher");
        QTest::addColumn<int>("copySet"); // -1: neither, the first push of the game
        QTest::addColumn<int>("moves");
        QTest::newRow("first push of the game") << Side::Right << -1 << 0;
        QTest::newRow("right reads copy 0, set") << Side::Right << 0 << 1;
        QTest::newRow("right reads copy 0, only copy 1 set") << Side::Right << 1 << 0;
        QTest::newRow("left reads copy 1, set") << Side::Left << 1 << 1;
        QTest::newRow("left reads copy 1, only copy 0 set") << Side::Left << 0 << 0;
    }
    void pushCountsOnceStarted()
    {
        QFETCH(Side, pusher);
        QFETCH(int, copySet);
        QFETCH(int, moves);
        ClockState state = readyState(300, 300);
        if (copySet >= 0) {
            state.gameStarted[static_cast<std::size_t>(copySet)] = True;
        }
        QCOMPARE(push(state, pusher).moves, moves);
        QCOMPARE(state.moves(pusher), moves);
        QCOMPARE(state.gameStarted, (std::array<qint16, 2>{True, True}));
        QCOMPARE(push(state, opponent(pusher)).moves, 1);
        QCOMPARE(push(state, pusher).moves, moves + 1);
    }

    void bannerAdvancesOnlyPastThePeriod_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<bool>("advance");
        QTest::addColumn<int>("ticksAfter");
        QTest::newRow("start-up, no tick yet") << 10 << 0 << false << 0;
        QTest::newRow("start-up, equal") << 10 << 10 << false << 10;
        QTest::newRow("start-up, one more") << 10 << 11 << true << 0;
        QTest::newRow("reset, equal") << 30 << 30 << false << 30;
        QTest::newRow("reset, one more") << 30 << 31 << true << 0;
        QTest::newRow("saturated") << 30 << 32767 << true << 0;
    }
    void bannerAdvancesOnlyPastThePeriod()
    {
        QFETCH(int, period);
        QFETCH(int, ticks);
        QFETCH(bool, advance);
        QFETCH(int, ticksAfter);
        ClockState state = readyState(300, 300);
        state.bannerPeriod = static_cast<qint16>(period);
        state.bannerTicks = static_cast<qint16>(ticks);
        QCOMPARE(push(state, Side::Left).advanceBanner, advance);
        QCOMPARE(state.bannerTicks, ticksAfter);
    }

    void pauseLowersTheLastPusher_data()
    {
        QTest::addColumn<Side>("running");
        QTest::addColumn<int>("leftMoves");
        QTest::addColumn<int>("rightMoves");
        QTest::newRow("left runs: right pushed last") << Side::Left << 4 << 2;
        QTest::newRow("right runs: left pushed last") << Side::Right << 3 << 3;
    }
    void pauseLowersTheLastPusher()
    {
        QFETCH(Side, running);
        QFETCH(int, leftMoves);
        QFETCH(int, rightMoves);
        ClockState state = readyState(300, 300);
        state.gameStarted = {True, True};
        state.leftMoves = 4;
        state.rightMoves = 3;
        pause(state, running);
        QCOMPARE(state.leftMoves, leftMoves);
        QCOMPARE(state.rightMoves, rightMoves);
        // The resuming push is the waiting player's, and puts the count back.
        push(state, opponent(running));
        QCOMPARE(state.leftMoves, 4);
        QCOMPARE(state.rightMoves, 3);
    }
};

QTEST_GUILESS_MAIN(CoreClockTest)
#include "tst_core_clock.moc"
