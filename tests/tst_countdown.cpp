// The count-down as the window shows it: digits, warning colours and beeps, the time-out.

#include "testsupport.h"

#include <blockedwindows.h>

using clockcore::Side;

namespace {

QColor textColour(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

QColor backgroundColour(const QLabel* label)
{
    return label->autoFillBackground() ? label->palette().color(QPalette::Window) : QColor();
}

} // namespace

class CountdownTest : public QObject, protected testsupport::ClockWindowFixture
{
    Q_OBJECT

private:
    using Names = testsupport::SideNames;
    // Starts `side`'s clock the way play does, by the other player's push.
    void startClock(Side side) { pushBy(clockcore::opponent(side)); }

private slots:
    void initTestCase() { blockedwindows::bringMessageForward(*qApp); }
    void init() { QVERIFY(openClockWindow()); }
    void cleanup() { closeClockWindow(); }

    // Digits after one tick: plain numbers, no leading zeros, all three rewritten.
    void oneTickShows_data()
    {
        QTest::addColumn<Side>("side");
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("after");
        for (const Side side : {Side::Left, Side::Right}) {
            const char* name = testsupport::sideName(side);
            QTest::addRow("%s exactly one hour", name) << side << 3600 << "0:59:59";
            QTest::addRow("%s one hour one second", name) << side << 3601 << "1:0:0";
            QTest::addRow("%s 4 min 10 s", name) << side << 250 << "0:4:9";
        }
    }
    void oneTickShows()
    {
        QFETCH(Side, side);
        QFETCH(int, before);
        QFETCH(QString, after);
        form->clockState().seconds(side) = static_cast<qint16>(before);
        form->clockState().warnSeconds = 60;
        const QString otherBefore = shown(clockcore::opponent(side));
        QVERIFY(tick(side));
        QCOMPARE(shown(side), after);
        QCOMPARE(shown(clockcore::opponent(side)), otherBefore);
        QCOMPARE(form->clockState().bannerTicks, 1);
    }

    // The warning: one beep per tick below the threshold, red on yellow minutes and seconds, a
    // red second colon; the hours and the first colon keep their colours.
    void warning_data()
    {
        QTest::addColumn<Side>("side");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("expectedBeeps");
        for (const Side side : {Side::Left, Side::Right}) {
            const char* name = testsupport::sideName(side);
            QTest::addRow("%s 5 min: quiet until 60", name) << side << 300 << 240 << 0;
            QTest::addRow("%s 5 min: warns from 59", name) << side << 300 << 241 << 1;
            QTest::addRow("%s 60 s warns at once", name) << side << 60 << 1 << 1;
            QTest::addRow("%s 10 s: every tick", name) << side << 10 << 5 << 5;
        }
    }
    void warning()
    {
        QFETCH(Side, side);
        QFETCH(int, start);
        QFETCH(int, ticks);
        QFETCH(int, expectedBeeps);
        const QColor hoursColour = textColour(label(side, &Names::hours));
        const QColor colon1Colour = textColour(label(side, &Names::firstColon));
        const QColor normalText = textColour(label(side, &Names::minutes));

        form->clockState().seconds(side) = static_cast<qint16>(start);
        for (int i = 0; i < ticks; ++i) {
            QVERIFY(tick(side));
        }
        QCOMPARE(beeps, expectedBeeps);
        const bool warned = expectedBeeps > 0;
        const QColor red(255, 0, 0);
        const QColor yellow(255, 255, 0);
        for (const char* Names::*digits : {&Names::minutes, &Names::seconds}) {
            QCOMPARE(textColour(label(side, digits)), warned ? red : normalText);
            QCOMPARE(backgroundColour(label(side, digits)),
                     warned ? yellow : QColor(224, 224, 224));
        }
        QCOMPARE(textColour(label(side, &Names::secondColon)) == red, warned);
        QCOMPARE(textColour(label(side, &Names::hours)), hoursColour);
        QCOMPARE(textColour(label(side, &Names::firstColon)), colon1Colour);
        QVERIFY(!label(side, &Names::secondColon)->autoFillBackground());
    }

    // Reaching zero: beep, colours, "Over" on black, one message, then both timers stop. A tick
    // of a side already at zero repeats all of it.
    void timeOut_data()
    {
        QTest::addColumn<Side>("side");
        QTest::addColumn<int>("start");
        QTest::newRow("left reaches zero") << Side::Left << 1;
        QTest::newRow("right reaches zero") << Side::Right << 1;
        QTest::newRow("left already at zero") << Side::Left << 0;
        QTest::newRow("right already at zero") << Side::Right << 0;
    }
    void timeOut()
    {
        QFETCH(Side, side);
        QFETCH(int, start);
        const Side other = clockcore::opponent(side);
        startClock(side);
        form->clockState().seconds(side) = static_cast<qint16>(start);
        const auto click = [&](const char* name) {
            testsupport::clickThroughWindow(button(QString::fromLatin1(name)));
        };
        // The window behind the message takes nothing: no push, no reset, no close. Activated (as
        // a click does), or asked to close, it hands the keyboard to the message.
        bool timerRanDuringBox = true;
        bool blocked = false;
        boxes->whileOpen([&](QMessageBox* box) {
            timerRanDuringBox = runs(side);
            form->activateWindow();
            click(testsupport::namesOf(side).pushButton);
            click("CommReset");
            form->windowHandle()->close();
            blocked = !runs(other) && label(side, &Names::mark)->text() == "Over" &&
                      form->isVisible() &&
                      QTest::qWaitFor([box] { return QApplication::activeWindow() == box; });
        });

        QVERIFY(tick(side));

        QCOMPARE(boxes->seen().size(), std::size_t{1});
        const testsupport::SeenMessage& message = boxes->seen().front();
        QCOMPARE(message.text, QStringLiteral("The Game Is Over"));
        QCOMPARE(message.title, QStringLiteral("Ostrevane"));
        QCOMPARE(message.icon, QMessageBox::Information);
        QCOMPARE(message.buttonCount, 1);
        QCOMPARE(message.modality, Qt::ApplicationModal);
        QVERIFY2(!timerRanDuringBox, "the clocks stop with the time-out, not with the answer");
        QVERIFY(!runs(Side::Left) && !runs(Side::Right));
        QCOMPARE(beeps, 1);
        QCOMPARE(shown(side), QStringLiteral("0:0:0"));
        QCOMPARE(label(side, &Names::mark)->text(), QStringLiteral("Over"));
        QCOMPARE(backgroundColour(label(side, &Names::mark)), QColor(0, 0, 0));
        QCOMPARE(textColour(label(side, &Names::mark)), QColor(0, 255, 0));
        QCOMPARE(label(other, &Names::mark)->text(), QString());
        QVERIFY(!label(other, &Names::mark)->autoFillBackground());
        QCOMPARE(shown(other), QStringLiteral("0:5:00"));
        QCOMPARE(textColour(label(other, &Names::minutes)) == QColor(255, 0, 0), false);

        QVERIFY(blocked);
        // Answered, each acts.
        click(testsupport::namesOf(side).pushButton);
        QVERIFY(runs(other));
        click("CommReset");
        QCOMPARE(label(side, &Names::mark)->text(), QString());
        form->windowHandle()->close();
        QVERIFY(!form->isVisible());
    }

    // One time-out, one message: while the box is open (more than a second), neither the clocks
    // nor a tick that still comes raise the time-out again or count anything.
    void oneMessagePerTimeOut()
    {
        startClock(Side::Right);
        form->clockState().rightSeconds = 1;
        boxes->whileOpen([&](QMessageBox*) {
            form->Timer2_Timer();
            QTest::qWait(1300);
        });
        QVERIFY(tick(Side::Right));
        QCOMPARE(boxes->seen().size(), std::size_t{1});
        QCOMPARE(form->clockState().bannerTicks, 1);
        QCOMPARE(beeps, 1);
        QVERIFY(!runs(Side::Right));
    }
};

QTEST_MAIN(CountdownTest)
#include "tst_countdown.moc"
