// The few checks that need real time: the clocks' real timers, measured with a monotonic clock.

#include "testsupport.h"

#include <QElapsedTimer>

class RealTimeTest : public QObject, protected testsupport::ClockWindowFixture
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(openClockWindow()); }
    void cleanup() { closeClockWindow(); }

    // The first tick after a push comes a full second later, never before.
    void firstTickNoEarlierThanOneSecond()
    {
        constexpr int samples = 3;
        for (int i = 0; i < samples; ++i) {
            const qint16 before = form->clockState().leftSeconds;
            QElapsedTimer elapsed;
            form->Command1_Click(); // starts the left clock
            elapsed.start();
            QTRY_VERIFY_WITH_TIMEOUT(form->clockState().leftSeconds != before, 3000);
            const qint64 took = elapsed.nsecsElapsed();
            QVERIFY2(took >= 1'000'000'000LL,
                     qPrintable(QStringLiteral("first tick after %1 ns").arg(took)));
            QCOMPARE(form->clockState().leftSeconds, before - 1);
            form->CommPause_Click();
        }
    }

    // Pushes less than a second apart take no time off either clock; a full second of
    // uninterrupted running takes exactly one.
    void onlyWholeSecondsOfRunningCount()
    {
        constexpr int quickPushes = 6;
        constexpr int pushGapMilliseconds = 300;
        form->Command1_Click();
        for (int i = 0; i < quickPushes; ++i) {
            QTest::qWait(pushGapMilliseconds);
            i % 2 == 0 ? form->Command2_Click() : form->Command1_Click();
        }
        QCOMPARE(form->clockState().leftSeconds, 300);
        QCOMPARE(form->clockState().rightSeconds, 300);

        // The left clock runs now (the last push was the right player's); wait for its tick.
        QTRY_COMPARE_WITH_TIMEOUT(form->clockState().leftSeconds, 299, 2000);
        form->CommPause_Click();
        QCOMPARE(form->clockState().leftSeconds, 299);
        QCOMPARE(form->clockState().rightSeconds, 300);
    }
};

QTEST_MAIN(RealTimeTest)
#include "tst_realtime.moc"
