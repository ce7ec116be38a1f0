// Every field of the clock record and of the time settings at the edges of its 16 bits: what
// the clock rules do there, run in the sanitizer build so that any overflow or undefined
// arithmetic on the way ends the test.

#include <clockcore.h>
#include <timesettings.h>

#include <QTest>

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

using namespace clockcore;

Q_DECLARE_METATYPE(clockcore::Side)
Q_DECLARE_METATYPE(std::optional<qint16>)

namespace {

constexpr int lowest = std::numeric_limits<qint16>::min();
constexpr int highest = std::numeric_limits<qint16>::max();
constexpr int secondsPerHour = 3600;
constexpr int secondsPerMinute = 60;
constexpr int noValue = 99999; // stands for "no value" in the tables

// The values at and next to both ends of the range, and the few the rules turn on.
const std::vector<int> edgeValues{lowest, lowest + 1, -1, 0, 1, highest - 1, highest};

std::optional<qint16> optionalValue(int value)
{
    return value == noValue ? std::nullopt : std::optional<qint16>(static_cast<qint16>(value));
}

const char* sideName(Side side)
{
    return side == Side::Left ? "left" : "right";
}

// A record with every field set to something distinct, so that a rule that writes a field it
// should leave alone shows up.
ClockState scatteredState()
{
    ClockState state;
    state.leftSeconds = 1111;
    state.rightSeconds = 2222;
    state.leftMoves = 33;
    state.rightMoves = 44;
    state.warnSeconds = 180;
    state.gameStarted = {True, True};
    state.bannerTicks = 5;
    state.bannerPeriod = 10;
    return state;
}

bool sameRecord(const ClockState& a, const ClockState& b)
{
    return a.leftSeconds == b.leftSeconds && a.rightSeconds == b.rightSeconds &&
           a.leftMoves == b.leftMoves && a.rightMoves == b.rightMoves &&
           a.warnSeconds == b.warnSeconds && a.gameStarted == b.gameStarted &&
           a.bannerTicks == b.bannerTicks && a.bannerPeriod == b.bannerPeriod;
}

} // namespace

class CoreLimitsTest : public QObject
{
    Q_OBJECT

private slots:
    // Every 16-bit time splits into parts that add up again, within a clock's digits.
    void splitEveryValue()
    {
        for (int seconds = lowest; seconds <= highest; ++seconds) {
            const TimeParts parts = splitTime(static_cast<qint16>(seconds));
            const int shown =
                parts.hours * secondsPerHour + parts.minutes * secondsPerMinute + parts.seconds;
            if (shown != std::max(seconds, 0) || parts.hours < 0 || parts.hours > 9 ||
                parts.minutes < 0 || parts.minutes > 59 || parts.seconds < 0 ||
                parts.seconds > 59) {
                QFAIL(qPrintable(QStringLiteral("%1 s shows %2:%3:%4")
                                     .arg(seconds)
                                     .arg(parts.hours)
                                     .arg(parts.minutes)
                                     .arg(parts.seconds)));
            }
        }
    }

    // A tick with the running side's seconds, the threshold and the banner count at the edges.
    void tickAtTheEdges_data()
    {
        QTest::addColumn<Side>("side");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("warnSeconds");
        QTest::addColumn<int>("bannerTicks");
        for (const Side side : {Side::Left, Side::Right}) {
            for (const int seconds : edgeValues) {
                for (const int warn : {lowest, 0, 60, 180, highest}) {
                    for (const int ticks : {lowest, -1, 0, highest - 1, highest}) {
                        QTest::addRow("%s %d s, warn %d, banner %d", sideName(side), seconds, warn,
                                      ticks)
                            << side << seconds << warn << ticks;
                    }
                }
            }
        }
    }
    void tickAtTheEdges()
    {
        QFETCH(Side, side);
        QFETCH(int, seconds);
        QFETCH(int, warnSeconds);
        QFETCH(int, bannerTicks);
        ClockState state = scatteredState();
        state.seconds(side) = static_cast<qint16>(seconds);
        state.warnSeconds = static_cast<qint16>(warnSeconds);
        state.bannerTicks = static_cast<qint16>(bannerTicks);
        ClockState expected = state;

        const TickResult result = tick(state, side);

        // One second off a clock that has any left; a clock at or below zero stays put.
        const int after = seconds > 0 ? seconds - 1 : seconds;
        QCOMPARE(int(state.seconds(side)), after);
        // The banner count grows by one and stops at the top instead of wrapping.
        QCOMPARE(int(state.bannerTicks), std::min(bannerTicks + 1, highest));
        QCOMPARE(result.shown, splitTime(state.seconds(side)));
        QCOMPARE(result.warn, after < warnSeconds);
        QCOMPARE(result.timeOut, after == 0);
        // Nothing else moves.
        expected.seconds(side) = state.seconds(side);
        expected.bannerTicks = state.bannerTicks;
        QVERIFY(sameRecord(state, expected));
    }

    // A push with the pusher's count, the started flags and the banner counters at the edges.
    void pushAtTheEdges_data()
    {
        QTest::addColumn<Side>("pusher");
        QTest::addColumn<int>("moves");
        QTest::addColumn<int>("started");
        QTest::addColumn<int>("bannerTicks");
        QTest::addColumn<int>("bannerPeriod");
        for (const Side pusher : {Side::Left, Side::Right}) {
            for (const int moves : edgeValues) {
                // Any flag that is not false counts as true, whatever its bits.
                for (const int started : {int(False), int(True), lowest, 1, highest}) {
                    for (const int ticks : {lowest, 0, highest}) {
                        for (const int period : {lowest, 0, highest}) {
                            QTest::addRow("%s %d moves, started %d, banner %d/%d", sideName(pusher),
                                          moves, started, ticks, period)
                                << pusher << moves << started << ticks << period;
                        }
                    }
                }
            }
        }
    }
    void pushAtTheEdges()
    {
        QFETCH(Side, pusher);
        QFETCH(int, moves);
        QFETCH(int, started);
        QFETCH(int, bannerTicks);
        QFETCH(int, bannerPeriod);
        ClockState state = scatteredState();
        state.moves(pusher) = static_cast<qint16>(moves);
        state.gameStarted[gameStartedCopyOf(pusher)] = static_cast<qint16>(started);
        state.bannerTicks = static_cast<qint16>(bannerTicks);
        state.bannerPeriod = static_cast<qint16>(bannerPeriod);
        ClockState expected = state;

        const PushResult result = push(state, pusher);

        const int counted = started != False ? std::min(moves + 1, highest) : moves;
        QCOMPARE(int(state.moves(pusher)), counted);
        QCOMPARE(int(result.moves), counted);
        QCOMPARE(result.advanceBanner, bannerTicks > bannerPeriod);
        QCOMPARE(int(state.bannerTicks), bannerTicks > bannerPeriod ? 0 : bannerTicks);
        QCOMPARE(state.gameStarted, (std::array<qint16, 2>{True, True}));
        expected.moves(pusher) = state.moves(pusher);
        expected.bannerTicks = state.bannerTicks;
        expected.gameStarted = state.gameStarted;
        QVERIFY(sameRecord(state, expected));
    }

    // Pause lowers the waiting player's count by one; at the bottom of the range it stops
    // there instead of wrapping to the top.
    void pauseAtTheEdges_data()
    {
        QTest::addColumn<Side>("running");
        QTest::addColumn<int>("moves");
        for (const Side running : {Side::Left, Side::Right}) {
            for (const int moves : edgeValues) {
                QTest::addRow("%s running, waiting side %d moves", sideName(running), moves)
                    << running << moves;
            }
        }
    }
    void pauseAtTheEdges()
    {
        QFETCH(Side, running);
        QFETCH(int, moves);
        const Side waiting = opponent(running);
        ClockState state = scatteredState();
        state.moves(waiting) = static_cast<qint16>(moves);
        ClockState expected = state;

        pause(state, running);

        QCOMPARE(int(state.moves(waiting)), std::max(moves - 1, lowest));
        expected.moves(waiting) = state.moves(waiting);
        QVERIFY(sameRecord(state, expected));

        // The resuming push puts the count back wherever the pause could lower it.
        if (moves > lowest) {
            push(state, waiting);
            QCOMPARE(int(state.moves(waiting)), moves);
        }
    }

    // Start-up and reset with both times and the banner period at the edges.
    void startGameAtTheEdges_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("bannerPeriod");
        QTest::addColumn<int>("warnSeconds");
        const std::vector<int> times{lowest, 0, 1, 599, 600, highest};
        for (const int left : times) {
            for (const int right : times) {
                for (const int period :
                     {lowest, int(bannerPeriodAtStartUp), int(bannerPeriodAtReset), highest}) {
                    // The long threshold only when neither side starts below ten minutes.
                    const int warn = (left < 600 || right < 600) ? 60 : 180;
                    QTest::addRow("%d s against %d s, banner period %d", left, right, period)
                        << left << right << period << warn;
                }
            }
        }
    }
    void startGameAtTheEdges()
    {
        QFETCH(int, left);
        QFETCH(int, right);
        QFETCH(int, bannerPeriod);
        QFETCH(int, warnSeconds);
        ClockState state;
        state.leftMoves = state.rightMoves = static_cast<qint16>(highest);
        state.bannerTicks = static_cast<qint16>(highest);
        state.warnSeconds = static_cast<qint16>(lowest);
        state.gameStarted = {True, True};

        startGame(state, static_cast<qint16>(left), static_cast<qint16>(right),
                  static_cast<qint16>(bannerPeriod));

        QCOMPARE(int(state.leftSeconds), left);
        QCOMPARE(int(state.rightSeconds), right);
        QCOMPARE(int(state.leftMoves), 0);
        QCOMPARE(int(state.rightMoves), 0);
        QCOMPARE(int(state.warnSeconds), warnSeconds);
        QCOMPARE(state.gameStarted, (std::array<qint16, 2>{False, False}));
        QCOMPARE(int(state.bannerTicks), 0);
        QCOMPARE(int(state.bannerPeriod), bannerPeriod);
    }

    // The time settings' four fields at the edges, as the main window turns them into
    // seconds: never nothing, never below one second, never more than the clock holds.
    void sideSecondsOfEveryEdge_data()
    {
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("minutes");
        std::vector<int> values = edgeValues;
        values.insert(values.end(), {noValue, 5, 9, 10, 59, 60});
        for (const int hours : values) {
            for (const int minutes : values) {
                QTest::addRow("%d h %d min", hours, minutes) << hours << minutes;
            }
        }
    }
    void sideSecondsOfEveryEdge()
    {
        QFETCH(int, hours);
        QFETCH(int, minutes);
        TimeSettings settings;
        settings.leftHours = settings.rightMinutes = static_cast<qint16>(hours);
        settings.leftMinutes = settings.rightHours = static_cast<qint16>(minutes);
        const std::optional<qint16> h = optionalValue(hours);
        const std::optional<qint16> m = optionalValue(minutes);
        const int seconds = sideSeconds(h, m);
        QVERIFY2(seconds >= 1 && seconds <= highest, qPrintable(QString::number(seconds)));

        // Within what the dialog lets through, the time is exactly the one set, clamped.
        if (withinRange(h, maxHours) && withinRange(m, maxMinutes)) {
            const int set = *h * secondsPerHour + *m * secondsPerMinute;
            QCOMPARE(seconds,
                     set == 0 ? minutesForEmptySetting * secondsPerMinute : std::min(set, highest));
        }
        // The record's fields feed the rule the same way whichever side they belong to.
        if (h && m) {
            QCOMPARE(int(sideSeconds(settings.leftHours, settings.leftMinutes)), seconds);
            QCOMPARE(int(sideSeconds(settings.rightMinutes, settings.rightHours)), seconds);
        }
    }

    // The dialog's range decision with values and maximums at the edges.
    void withinRangeAtTheEdges_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("maximum");
        std::vector<int> values = edgeValues;
        values.insert(values.end(), {noValue, 9, 10, 59, 60});
        for (const int value : values) {
            for (const int maximum : {lowest, -1, 0, int(maxHours), int(maxMinutes), highest}) {
                QTest::addRow("%d within 0..%d", value, maximum) << value << maximum;
            }
        }
    }
    void withinRangeAtTheEdges()
    {
        QFETCH(int, value);
        QFETCH(int, maximum);
        const bool passes = withinRange(optionalValue(value), static_cast<qint16>(maximum));
        QCOMPARE(passes, value != noValue && value >= 0 && value <= maximum);
    }
};

QTEST_GUILESS_MAIN(CoreLimitsTest)
#include "tst_core_limits.moc"
