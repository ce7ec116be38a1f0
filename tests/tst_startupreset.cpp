// Start-up and reset: the settings read from the dialog's fields, and what each routine leaves.

#include "testsupport.h"

using clockcore::Side;

// Not in an anonymous namespace: the test class, which has linkage, keeps it in lambdas' captures.
enum class Routine
{
    StartUp,
    Reset,
    ResetFromMenu
};
Q_DECLARE_METATYPE(Routine)

class StartUpResetTest : public QObject, protected testsupport::ClockWindowFixture
{
    Q_OBJECT

private:
    void setFields(const QString& leftHours, const QString& leftMinutes, const QString& rightHours,
                   const QString& rightMinutes)
    {
        Dialog* dialog = form->existingSettingsDialog();
        QVERIFY(dialog);
        dialog->findChild<QComboBox*>("Combo1")->setEditText(leftHours);
        dialog->findChild<QLineEdit*>("Text2")->setText(leftMinutes);
        dialog->findChild<QComboBox*>("Combo2")->setEditText(rightHours);
        dialog->findChild<QLineEdit*>("Text4")->setText(rightMinutes);
    }

    void run(Routine routine)
    {
        switch (routine) {
        case Routine::StartUp:
            form->Form_Load();
            break;
        case Routine::Reset:
            QTest::mouseClick(find<QPushButton>("CommReset"), Qt::LeftButton);
            break;
        case Routine::ResetFromMenu:
            QVERIFY(testsupport::activate(form.get()));
            QTest::keyClick(form.get(), Qt::Key_R, Qt::ControlModifier);
            break;
        }
    }

    // A game in the middle: the left clock ran out in its warning, the right player's button
    // hidden, moves counted, the strip advanced.
    void playUntilTheLeftRunsOut()
    {
        form->Command1_Click();
        form->clockState().leftSeconds = 2;
        perform("tick L 2"); // runs out: warning colours, "Over"
        form->clockState().bannerTicks = 11;
        form->Command2_Click(); // advances the strip
        form->Command1_Click();
        QCOMPARE(label("Label3")->text(), QStringLiteral("Over"));
        QVERIFY(!find<QPushButton>("Command1")->isVisibleTo(form.get()));
        QVERIFY(find<QLabel>("Picture2")->isVisibleTo(form.get()));
        QVERIFY(form->clockState().leftMoves > 0);
    }

    // What start-up and reset leave alike with the dialog's default texts, whatever came before.
    void verifyReadyWithDefaults()
    {
        const clockcore::ClockState& s = form->clockState();
        QCOMPARE(s.leftSeconds, 300);
        QCOMPARE(s.rightSeconds, 300);
        QCOMPARE(shown(Side::Left), QStringLiteral("0:5:00"));
        QCOMPARE(shown(Side::Right), QStringLiteral("0:5:00"));
        QCOMPARE(s.leftMoves, 0);
        QCOMPARE(s.rightMoves, 0);
        QCOMPARE(label("MovesLeft")->text(), QStringLiteral("0"));
        QCOMPARE(label("MovesRight")->text(), QStringLiteral("0"));
        QCOMPARE(s.gameStarted, (std::array<qint16, 2>{clockcore::False, clockcore::False}));
        QVERIFY(find<QLabel>("Picture1")->isVisibleTo(form.get()));
        QVERIFY(!find<QLabel>("Picture2")->isVisibleTo(form.get()));
        QVERIFY(!find<QLabel>("Picture3")->isVisibleTo(form.get()));
        QVERIFY(find<QPushButton>("Command2")->isVisibleTo(form.get()));
        QVERIFY(find<QAction>("mnuGameLeft")->isEnabled());
        QVERIFY(find<QAction>("mnuGameRight")->isEnabled());
        QVERIFY(!runs(Side::Left) && !runs(Side::Right));
    }

private slots:
    void init() { QVERIFY(openClockWindow()); }
    void cleanup() { closeClockWindow(); }

    void programStartsReadyFromTheDialogsDefaults()
    {
        Dialog* dialog = form->existingSettingsDialog();
        QVERIFY2(dialog, "start-up reads the fields, which creates the dialog");
        QVERIFY(!dialog->isVisible());
        QCOMPARE(testsupport::fieldsOf(dialog), (QStringList{"0", "05", "0", "05"}));
        verifyReadyWithDefaults();
        QCOMPARE(form->clockState().warnSeconds, 60);
        QCOMPARE(form->clockState().bannerPeriod, 10);
        QCOMPARE(QApplication::focusWidget(), find<QPushButton>("CommSet"));
    }

    // How the four texts become times, read the same by start-up and by reset.
    void settingsBecomeTimes_data()
    {
        QTest::addColumn<Routine>("routine");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<int>("leftSeconds");
        QTest::addColumn<int>("rightSeconds");
        QTest::addColumn<int>("warnSeconds");
        for (const Routine routine : {Routine::StartUp, Routine::Reset}) {
            const auto row = [routine](const char* name, const QStringList& fields,
                                       const char* left, const char* right, int leftSeconds,
                                       int rightSeconds, int warnSeconds) {
                QTest::addRow("%s: %s", routine == Routine::StartUp ? "start-up" : "reset", name)
                    << routine << fields << left << right << leftSeconds << rightSeconds
                    << warnSeconds;
            };
            row("0 h 0 on the left plays 5 min", {"0", "0", "1", "0"}, "0:5:00", "1:0:00", 300,
                3600, 60);
            row("10 min each: long threshold", {"0", "10", "0", "10"}, "0:10:00", "0:10:00", 600,
                600, 180);
            row("9 min against 2 h: short threshold", {"0", "9", "2", "0"}, "0:9:00", "2:0:00", 540,
                7200, 60);
            row("9 h 06 fits", {"9", "06", "9", "6"}, "9:6:00", "9:6:00", 32760, 32760, 180);
            row("9 h 59 is clamped to what the clock holds", {"9", "59", "0", "5"}, "9:6:7",
                "0:5:00", 32767, 300, 60);
            row("minutes over 59 add to the hours", {"0", "75", "0", "5"}, "1:15:00", "0:5:00",
                4500, 300, 60);
            row("blanks and a fraction", {" 1 ", "8.5", "0", " 7 "}, "1:8:00", "0:7:00", 4080, 420,
                60);
            row("texts that are no number count as 0", {"abc", "", "x", "12"}, "0:5:00", "0:12:00",
                300, 720, 60);
            row("a negative total plays 5 min", {"1", "-70", "-3", "0"}, "0:5:00", "0:5:00", 300,
                300, 60);
            row("beyond 16 bits", {"99999", "5", "0", "40000"}, "0:5:00", "0:5:00", 300, 300, 60);
        }
    }
    void settingsBecomeTimes()
    {
        QFETCH(Routine, routine);
        QFETCH(QStringList, fields);
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(int, leftSeconds);
        QFETCH(int, rightSeconds);
        QFETCH(int, warnSeconds);
        setFields(fields[0], fields[1], fields[2], fields[3]);
        run(routine);
        QCOMPARE(shown(Side::Left), left);
        QCOMPARE(shown(Side::Right), right);
        QCOMPARE(form->clockState().leftSeconds, leftSeconds);
        QCOMPARE(form->clockState().rightSeconds, rightSeconds);
        QCOMPARE(form->clockState().warnSeconds, warnSeconds);
        // The routines never write the fields back.
        QCOMPARE(testsupport::fieldsOf(form->existingSettingsDialog()), fields);
    }

    // A clock set below zero never counts away from it, and shows no minus sign.
    void negativeSettingsNeverCountAway()
    {
        setFields("-1", "-59", "0", "-5");
        form->Form_Load();
        form->Command2_Click(); // the right clock runs
        perform("tick R 5");
        QCOMPARE(form->clockState().rightSeconds, 295);
        QVERIFY(!shown(Side::Right).contains('-'));
        QVERIFY(!shown(Side::Left).contains('-'));
    }

    // What start-up and reset leave after a finished game, side by side.
    void routinesDiffer_data()
    {
        QTest::addColumn<Routine>("routine");
        QTest::addColumn<int>("bannerPeriod");
        QTest::addColumn<bool>("bothButtonsShown");
        QTest::addColumn<QString>("leftMark");
        QTest::newRow("start-up keeps the marks and buttons")
            << Routine::StartUp << 10 << false << "Over";
        QTest::newRow("reset clears them") << Routine::Reset << 30 << true << "";
        QTest::newRow("Ctrl+R is reset") << Routine::ResetFromMenu << 30 << true << "";
    }
    void routinesDiffer()
    {
        QFETCH(Routine, routine);
        QFETCH(int, bannerPeriod);
        QFETCH(bool, bothButtonsShown);
        QFETCH(QString, leftMark);
        playUntilTheLeftRunsOut();

        run(routine);

        verifyReadyWithDefaults();
        QCOMPARE(form->clockState().bannerPeriod, bannerPeriod);
        QCOMPARE(form->clockState().bannerTicks, 0);
        QCOMPARE(find<QPushButton>("Command1")->isVisibleTo(form.get()), bothButtonsShown);
        QCOMPARE(label("Label3")->text(), leftMark);
        QCOMPARE(label("Label3")->autoFillBackground(), !leftMark.isEmpty());
        // The warning colours are gone either way; the hours keep their own colour.
        for (const char* name : {"lblMinLeft", "lblSecLeft"}) {
            QCOMPARE(label(name)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
            QCOMPARE(label(name)->palette().color(QPalette::Window), QColor(224, 224, 224));
        }
        QCOMPARE(label("lblDot2")->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(label("lblHoursLeft")->palette().color(QPalette::WindowText),
                 QColor(128, 128, 255));
    }

    // Reset in every state stops the clocks and leaves the ready state.
    void resetFromEveryState_data()
    {
        QTest::addColumn<QString>("state");
        QTest::newRow("ready") << "ready";
        QTest::newRow("left running") << "left";
        QTest::newRow("right running") << "right";
        QTest::newRow("paused") << "paused";
    }
    void resetFromEveryState()
    {
        QFETCH(QString, state);
        if (state != "ready") {
            state == "right" ? form->Command2_Click() : form->Command1_Click();
            QVERIFY(tick(Side::Left));
            QVERIFY(tick(Side::Right));
        }
        if (state == "paused") {
            form->CommPause_Click();
        }
        QTest::keyClick(form.get(), Qt::Key_R, Qt::ControlModifier);
        verifyReadyWithDefaults();
        QVERIFY(find<QPushButton>("Command1")->isVisibleTo(form.get()));
    }
};

QTEST_MAIN(StartUpResetTest)
#include "tst_startupreset.moc"
