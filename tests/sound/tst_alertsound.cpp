// The low-time warning as the players hear it: the real sound of the program, started by the
// clock's own tick handler. test_alertsound.sh runs this against a private sound server with a
// silent output, records that output and counts the bursts of sound in it; this part drives the
// ticks and checks that none of them holds up the clock.

#include <alertsound.h>
#include <form1.h>

#include <QElapsedTimer>
#include <QTest>

namespace {

// Ticks above the threshold come first: they must stay silent.
constexpr int quietTicks = 2;
constexpr int warningTicks = 3;
// Far enough apart that each bell (0.14 s in the default theme) ends well before the next.
constexpr int tickSpacingMilliseconds = 600;
// Time for the last bell to come out before the program and its connection end.
constexpr int lastBellMilliseconds = 700;
// A tick that needs longer than this would show as a stutter of the clock. The first warning
// also connects to the sound server, which takes a round trip or two.
constexpr qint64 tickBudgetMilliseconds = 40;
constexpr qint64 firstWarningBudgetMilliseconds = 500;

} // namespace

class AlertSoundTest : public QObject
{
    Q_OBJECT

private slots:
    void warningTicksPlayTheBellWithoutHoldingUpTheClock();
};

void AlertSoundTest::warningTicksPlayTheBellWithoutHoldingUpTheClock()
{
    // The window's own sound, as in the program: the test replaces nothing.
    Form1 form;
    clockcore::ClockState& state = form.clockState();
    state.leftSeconds = static_cast<qint16>(state.warnSeconds + quietTicks);

    // Read by the recording's analysis: how many bursts to expect, and how far apart.
    qInfo("expect %d bursts %d ms apart after %d quiet ticks", warningTicks,
          tickSpacingMilliseconds, quietTicks);

    for (int tick = 0; tick < quietTicks + warningTicks; ++tick) {
        const bool warns = tick >= quietTicks;
        QElapsedTimer took;
        took.start();
        form.Timer1_Timer();
        const qint64 elapsed = took.elapsed();
        qInfo("tick %d (%s, %d s left) took %lld ms", tick + 1, warns ? "warning" : "quiet",
              state.leftSeconds, elapsed);
        const qint64 budget =
            tick == quietTicks ? firstWarningBudgetMilliseconds : tickBudgetMilliseconds;
        QVERIFY2(elapsed <= budget, qPrintable(QStringLiteral("tick %1 took %2 ms, more than %3")
                                                   .arg(tick + 1)
                                                   .arg(elapsed)
                                                   .arg(budget)));
        QCOMPARE(state.leftSeconds < state.warnSeconds, warns);
        QTest::qWait(tickSpacingMilliseconds);
    }
    QTest::qWait(lastBellMilliseconds - tickSpacingMilliseconds);
}

QTEST_MAIN(AlertSoundTest)
#include "tst_alertsound.moc"
