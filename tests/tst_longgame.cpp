// A game as long as the clock allows, played by calling the tick and push handlers directly
// (no real waiting): both sides at the longest time there is, about a thousand moves a side,
// both clocks run out; then tens of thousands more pushes and ticks past the tops of the
// counters.

#include "testsupport.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>

using clockcore::Side;

namespace {

constexpr int largest = 32767;
constexpr int secondsPerHour = 3600;
constexpr int secondsPerMinute = 60;
// The longest a player thinks over one move in the simulated game.
constexpr int longestThought = 60;
// Pushes per side in the counting part: well past the top of a move counter.
constexpr int pushesPerSide = 34000;

QString clockText(int seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / secondsPerHour)
        .arg(seconds % secondsPerHour / secondsPerMinute)
        .arg(seconds % secondsPerMinute);
}

} // namespace

class LongGameTest : public QObject, protected testsupport::ClockWindowFixture
{
    Q_OBJECT

private:
    using Names = testsupport::SideNames;
    QString mark(Side side) const { return label(side, &Names::mark)->text(); }
    QString moves(Side side) const { return label(side, &Names::moves)->text(); }

    // Both sides 9 h 59 min, typed into the settings dialog and applied with OK.
    void setLongestTimes()
    {
        form->CommSet_Click();
        Dialog* dialog = form->existingSettingsDialog();
        QVERIFY(dialog != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        for (const auto& [field, text] :
             {std::pair{"Combo1", "9"}, {"Text2", "59"}, {"Combo2", "9"}, {"Text4", "59"}}) {
            QVERIFY(testsupport::typeInto(dialog->findChild<QWidget*>(field), text));
        }
        QTest::mouseClick(dialog->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
        QTRY_VERIFY(form->isVisible());
        QVERIFY(boxes->seen().empty());
    }

    // Ticks the side that runs until `count` ticks have passed or its time is used up, checking
    // each against a count of its own; true when the side ran out on the last tick.
    bool think(Side side, int count, int& remaining, int& ticks)
    {
        const std::size_t messagesBefore = boxes->seen().size();
        for (int i = 0; i < count && remaining > 0; ++i) {
            if (!runs(side) || runs(clockcore::opponent(side))) {
                qWarning("tick %d: the side that thinks is not the one that runs", ticks);
                remaining = -1;
                return false;
            }
            if (!tick(side)) {
                qWarning("tick %d: the time-out's message was not answered", ticks);
                remaining = -1;
                return false;
            }
            ++ticks;
            --remaining;
            const int seconds = form->clockState().seconds(side);
            const QString clock = shown(side);
            const bool over = mark(side) == QLatin1String("Over");
            if (seconds != remaining || clock != clockText(remaining) || over != (remaining == 0) ||
                form->clockState().bannerTicks < 0) {
                qWarning("tick %d: %d s left, counted %d, shows %s, mark \"%s\", banner %d", ticks,
                         seconds, remaining, qPrintable(clock), qPrintable(mark(side)),
                         form->clockState().bannerTicks);
                remaining = -1;
                return false;
            }
        }
        const std::size_t messages = boxes->seen().size() - messagesBefore;
        if (messages != (remaining == 0 ? 1u : 0u)) {
            qWarning("%zu messages with %d s left", messages, remaining);
            remaining = -1;
            return false;
        }
        return remaining == 0;
    }

private slots:
    void init() { QVERIFY(openClockWindow()); }
    void cleanup() { closeClockWindow(); }

    // Moves of random length (up to a minute each) until each clock in turn runs out: every
    // tick takes exactly one second, the clock shows it, and "Over" comes on the tick that
    // empties it.
    void nineHourGame()
    {
        setLongestTimes();
        const clockcore::ClockState& state = form->clockState();
        QCOMPARE(int(state.leftSeconds), largest);
        QCOMPARE(int(state.rightSeconds), largest);
        QCOMPARE(shown(Side::Left), QStringLiteral("9:6:7"));
        QCOMPARE(shown(Side::Right), QStringLiteral("9:6:7"));

        QElapsedTimer elapsed;
        elapsed.start();
        QRandomGenerator random(20011);
        int remaining[2] = {largest, largest};
        int moves[2] = {0, 0};
        int ticks = 0;
        int pushes = 0;
        // The right player starts the game; the left one moves first.
        pushBy(Side::Right);
        ++pushes;
        Side toMove = Side::Left;
        int beepsBefore = beeps;
        for (;;) {
            const int thought = random.bounded(1, longestThought + 1);
            int& clock = remaining[int(toMove)];
            const bool ranOut = think(toMove, thought, clock, ticks);
            QVERIFY2(clock >= 0, "the clock went wrong, see the warning above");
            if (ranOut) {
                break;
            }
            pushBy(toMove);
            ++pushes;
            ++moves[int(toMove)];
            QCOMPARE(int(state.moves(toMove)), moves[int(toMove)]);
            QCOMPARE(this->moves(toMove), QString::number(moves[int(toMove)]));
            toMove = clockcore::opponent(toMove);
        }
        // One clock ran out: 180 warnings on its last 180 ticks, both clocks stopped, the
        // other clock untouched.
        const Side first = toMove;
        const Side other = clockcore::opponent(first);
        QCOMPARE(beeps - beepsBefore, int(clockcore::lowTimeThresholdLong));
        QVERIFY(!runs(Side::Left) && !runs(Side::Right));
        QCOMPARE(mark(other), QString());
        QVERIFY(remaining[int(other)] > 0);

        // The button of the player who ran out still pushes: it counts his move and the other
        // clock runs on to its own end.
        pushBy(first);
        ++pushes;
        ++moves[int(first)];
        QCOMPARE(int(state.moves(first)), moves[int(first)]);
        beepsBefore = beeps;
        QVERIFY(think(other, largest, remaining[int(other)], ticks));
        QCOMPARE(beeps - beepsBefore, int(clockcore::lowTimeThresholdLong));
        QCOMPARE(ticks, 2 * largest);
        QCOMPARE(int(state.leftSeconds), 0);
        QCOMPARE(int(state.rightSeconds), 0);
        QCOMPARE(boxes->seen().size(), std::size_t{2});
        qInfo("simulated %d ticks (%s of clock time on each side) and %d pushes (%d and %d "
              "moves) in %lld ms",
              ticks, qPrintable(clockText(largest)), pushes, moves[0], moves[1],
              static_cast<long long>(elapsed.elapsed()));
    }

    // Pushes without a single tick, far past the top of a move counter: the counts stop at
    // 32767 and never turn negative; a pause and its resuming push at the top leave it there.
    void moveCountersStopAtTheTop()
    {
        setLongestTimes();
        const clockcore::ClockState& state = form->clockState();
        QElapsedTimer elapsed;
        elapsed.start();
        pushBy(Side::Right); // the first push counts nothing
        int previous[2] = {0, 0};
        for (int i = 0; i < pushesPerSide; ++i) {
            for (const Side side : {Side::Left, Side::Right}) {
                pushBy(side);
                const int count = state.moves(side);
                const int expected = std::min(previous[int(side)] + 1, largest);
                if (count != expected) {
                    QFAIL(qPrintable(QStringLiteral("push %1 of the %2 player: %3 moves, not %4")
                                         .arg(i + 1)
                                         .arg(side == Side::Left ? "left" : "right")
                                         .arg(count)
                                         .arg(expected)));
                }
                previous[int(side)] = count;
            }
        }
        QCOMPARE(int(state.leftMoves), largest);
        QCOMPARE(int(state.rightMoves), largest);
        QCOMPARE(moves(Side::Left), QStringLiteral("32767"));
        QCOMPARE(moves(Side::Right), QStringLiteral("32767"));
        // No time went anywhere.
        QCOMPARE(int(state.leftSeconds), largest);
        QCOMPARE(int(state.rightSeconds), largest);

        // The right player pushed last, so the left clock runs; pause and resume at the top.
        QVERIFY(runs(Side::Left));
        form->CommPause_Click();
        QCOMPARE(int(state.rightMoves), largest - 1);
        QCOMPARE(moves(Side::Right), QStringLiteral("32767"));
        pushBy(Side::Right);
        QCOMPARE(int(state.rightMoves), largest);
        QCOMPARE(moves(Side::Right), QStringLiteral("32767"));
        QVERIFY(runs(Side::Left));
        qInfo("%d pushes in %lld ms", 2 * pushesPerSide + 2,
              static_cast<long long>(elapsed.elapsed()));
    }

    // A whole clock's worth of ticks without a push, then more: the banner count stops at the
    // top, and the next push still advances the banner strip and starts the count afresh.
    void bannerCountStopsAtTheTop()
    {
        setLongestTimes();
        const clockcore::ClockState& state = form->clockState();
        auto* firstPicture = find<QLabel>("Picture1");
        auto* secondPicture = find<QLabel>("Picture2");
        pushBy(Side::Right);
        int remaining = largest;
        int ticks = 0;
        QVERIFY(think(Side::Left, largest, remaining, ticks));
        QCOMPARE(int(state.bannerTicks), largest);
        // A tick that finds the clock empty (the timer is off now; called as it would run)
        // counts on, and the count stays at the top.
        form->Timer1_Timer();
        QCOMPARE(int(state.bannerTicks), largest);
        QCOMPARE(int(state.leftSeconds), 0);
        QVERIFY(firstPicture->isVisibleTo(form.get()));

        pushBy(Side::Left);
        QCOMPARE(int(state.bannerTicks), 0);
        QVERIFY(!firstPicture->isVisibleTo(form.get()));
        QVERIFY(secondPicture->isVisibleTo(form.get()));
    }
};

QTEST_MAIN(LongGameTest)
#include "tst_longgame.moc"
