// Every command of the main window: the settings round trips, the help and About windows, the
// clocks behind them, and ending the program from every state.

#include "testsupport.h"

#include <QSignalSpy>

using clockcore::Side;

class CommandsTest : public QObject, protected testsupport::ClockWindowFixture
{
    Q_OBJECT

private:
    bool shownButton(const char* name) { return find<QPushButton>(name)->isVisibleTo(form.get()); }

    // Opens the settings as a player does, with the Set button or Ctrl+S.
    Dialog* openSettings(bool withSetButton)
    {
        testsupport::activate(form.get());
        if (withSetButton) {
            QTest::mouseClick(find<QPushButton>("CommSet"), Qt::LeftButton);
        } else {
            QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
        }
        Dialog* dialog = form->existingSettingsDialog();
        if (dialog != nullptr && dialog->isVisible()) {
            testsupport::activate(dialog);
        }
        return dialog;
    }
private slots:
    void init() { QVERIFY(openClockWindow()); }
    void cleanup() { closeClockWindow(); }

    void spaceOnTheFirstFocusOpensTheSettings()
    {
        QCOMPARE(QApplication::focusWidget(), find<QPushButton>("CommSet"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(form->existingSettingsDialog()->isVisible());
        QVERIFY(!form->isVisible());
        QVERIFY(!runs(Side::Left) && !runs(Side::Right));
    }

    // Set button then OK shows both push buttons and stops the clocks; "Set time" then OK keeps
    // a hidden push button hidden, and the game starts with the other one or either menu entry.
    void settingsThenOk_data()
    {
        QTest::addColumn<bool>("withSetButton");
        QTest::addColumn<bool>("bothShownAfter");
        QTest::newRow("Set button") << true << true;
        QTest::newRow("Set time, Ctrl+S") << false << false;
    }
    void settingsThenOk()
    {
        QFETCH(bool, withSetButton);
        QFETCH(bool, bothShownAfter);
        form->Command1_Click(); // left runs, only Command2 shown
        QVERIFY(tick(Side::Left));
        Dialog* dialog = openSettings(withSetButton);
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!form->isVisible());
        QCOMPARE(shownButton("Command1"), withSetButton);
        QVERIFY2(runs(Side::Left) && awake->held, "opening the settings stops no clock");

        QTest::mouseClick(dialog->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QVERIFY(form->isVisible());
        QCOMPARE(shownButton("Command1"), bothShownAfter);
        QVERIFY(shownButton("Command2"));
        QVERIFY(!runs(Side::Left) && !runs(Side::Right) && !awake->held);
        QCOMPARE(shown(Side::Left), QStringLiteral("0:5:00"));
        QCOMPARE(form->clockState().bannerPeriod, 10);

        QVERIFY(testsupport::activate(form.get()));
        QTest::keyClick(form.get(), Qt::Key_L, Qt::ControlModifier); // Command1's push
        QVERIFY(runs(Side::Left));
        QCOMPARE(form->clockState().rightMoves, 0);
    }

    void cancelReturnsToTheRunningClock()
    {
        form->Command1_Click();
        Dialog* dialog = openSettings(true);
        QVERIFY(testsupport::typeInto(dialog->findChild<QLineEdit*>("Text2"), "30"));
        for (int i = 0; i < 20; ++i) {
            QVERIFY(tick(Side::Left)); // twenty seconds pass while the dialog is up
        }
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(form->isVisible());
        QVERIFY(!dialog->isVisible());
        QVERIFY(runs(Side::Left) && awake->held && awake->letGo == 0);
        QCOMPARE(form->clockState().leftSeconds, 280);
        QCOMPARE(shown(Side::Left), QStringLiteral("0:4:40"));
        QCOMPARE(form->clockState().bannerTicks, 20);

        // The edit survives in the hidden dialog; the next Reset applies it.
        QCOMPARE(openSettings(false)->leftMinutesText(), QStringLiteral("30"));
        QTest::keyClick(form->existingSettingsDialog(), Qt::Key_Escape);
        QVERIFY(testsupport::activate(form.get()));
        QTest::mouseClick(find<QPushButton>("CommReset"), Qt::LeftButton);
        QCOMPARE(shown(Side::Left), QStringLiteral("0:30:00"));
    }

    // 0 h 00 plays 5 minutes while the dialog keeps showing what was typed.
    void zeroTimeThenOk()
    {
        Dialog* dialog = openSettings(true);
        QVERIFY(testsupport::typeInto(dialog->findChild<QComboBox*>("Combo1"), "0"));
        QVERIFY(testsupport::typeInto(dialog->findChild<QLineEdit*>("Text2"), "00"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::mouseClick(dialog->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
        QCOMPARE(shown(Side::Left), QStringLiteral("0:5:00"));
        QCOMPARE(openSettings(true), dialog);
        QCOMPARE(testsupport::fieldsOf(dialog), (QStringList{"0", "00", "0", "05"}));
    }

    // The close box applies like OK and destroys the dialog; the next reading creates it
    // afresh with the defaults.
    void closeBoxAppliesThenForgets()
    {
        QPointer<Dialog> dialog = openSettings(true);
        QVERIFY(testsupport::typeInto(dialog->findChild<QComboBox*>("Combo2"), "1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        dialog->close();
        QVERIFY(form->isVisible());
        QCOMPARE(shown(Side::Right), QStringLiteral("1:5:00"));
        testsupport::flushDeferredDeletes();
        QVERIFY(dialog.isNull());
        QVERIFY(form->existingSettingsDialog() == nullptr);

        QVERIFY(testsupport::activate(form.get()));
        QTest::mouseClick(find<QPushButton>("CommReset"), Qt::LeftButton);
        QCOMPARE(shown(Side::Right), QStringLiteral("0:5:00"));
        Dialog* fresh = form->existingSettingsDialog();
        QVERIFY(fresh != nullptr && !fresh->isVisible());
        QCOMPARE(testsupport::fieldsOf(fresh), (QStringList{"0", "05", "0", "05"}));
    }

    // A clock that runs out while the main window is hidden behind the settings: the message
    // comes up in front of the dialog, owned by no window that could take it along when it
    // goes, and the mark is there when the main window returns.
    void timeOutWhileTheSettingsAreOpen()
    {
        form->Command2_Click(); // right runs
        form->clockState().rightSeconds = 5;
        Dialog* dialog = openSettings(true);
        bool boxInFrontOfTheDialog = false;
        boxes->whileOpen([&](QMessageBox* box) {
            boxInFrontOfTheDialog = box->isVisible() && !form->isVisible() &&
                                    box->parentWidget() == nullptr &&
                                    QApplication::activeModalWidget() == box;
        });
        for (int i = 0; i < 5; ++i) {
            QVERIFY(tick(Side::Right));
        }
        QCOMPARE(beeps, 5);
        QCOMPARE(boxes->seen().size(), std::size_t{1});
        QCOMPARE(boxes->seen().front().text, QStringLiteral("The Game Is Over"));
        QVERIFY(boxInFrontOfTheDialog);
        QVERIFY(!runs(Side::Right));
        QTest::mouseClick(dialog->findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
        QVERIFY(form->isVisible());
        QCOMPARE(label("Label4")->text(), QStringLiteral("Over"));
    }

    // A push of the button whose clock already runs (both are shown after Set) counts the move
    // and leaves the running clock's second where it was.
    void pushOfTheRunningSide()
    {
        form->Command1_Click(); // left runs
        QTest::qWait(300);
        Dialog* dialog = openSettings(true);
        QTest::mouseClick(dialog->findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
        QVERIFY(shownButton("Command1") && shownButton("Command2"));
        const int remaining = find<clockcore::ClockTimer>("Timer1")->remainingTime();
        QVERIFY(remaining < 800);
        form->Command1_Click();
        QCOMPARE(form->clockState().rightMoves, 1);
        QVERIFY(runs(Side::Left));
        QVERIFY(find<clockcore::ClockTimer>("Timer1")->remainingTime() <= remaining);
    }

    void helpWindowLifetime()
    {
        QTest::keyClick(form.get(), Qt::Key_H, Qt::ControlModifier);
        QPointer<Help> help = form->existingHelpWindow();
        QVERIFY(help && help->isVisible());
        QVERIFY(form->isVisible());
        help->move(help->pos() + QPoint(40, 30));
        const QPoint placed = help->pos();
        QTest::mouseClick(help->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QVERIFY(!help->isVisible());

        QVERIFY(testsupport::activate(form.get()));
        form->findChild<QAction*>("mnuHelpGeneral")->trigger();
        QCOMPARE(form->existingHelpWindow(), help.data());
        QVERIFY(help->isVisible());
        QCOMPARE(help->pos(), placed);
    }

    void oneAboutWindowHoweverOftenAsked()
    {
        form->findChild<QAction*>("mnuHelpAbout")->trigger();
        QPointer<frmAbout> about = form->existingAboutWindow();
        QVERIFY(about && about->isVisible());
        // Asked again while open: the same window, its load routine not run again.
        about->setWindowTitle(QStringLiteral("still the first"));
        form->mnuHelpAbout_Click();
        QCOMPARE(form->existingAboutWindow(), about.data());
        QCOMPARE(about->windowTitle(), QStringLiteral("still the first"));
        QCOMPARE(testsupport::windowsOfType<frmAbout>(), 1);
    }

    void clocksRunBehindTheInfoWindows()
    {
        form->Command1_Click();
        form->mnuHelpGeneral_Click();
        form->mnuHelpAbout_Click();
        QVERIFY(form->isVisible());
        QVERIFY(runs(Side::Left) && awake->held);
        QVERIFY(tick(Side::Left));
        QCOMPARE(shown(Side::Left), QStringLiteral("0:4:59"));
    }

    // The program ends at once from every state: every window goes, nothing is asked, no
    // handler of another window runs (the settings' close routine would apply the fields), and
    // the event loop returns 0.
    void endsAtOnce_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("route");
        for (const char* state : {"ready", "running", "paused", "help", "about"}) {
            for (const char* route : {"Exit", "Ctrl+X", "close box"}) {
                QTest::addRow("%s, %s", state, route) << state << route;
            }
        }
        // With the settings up the main window is hidden: only the system can close it.
        QTest::newRow("settings open, close") << "settings"
                                              << "close box";
        QTest::newRow("settings open, exit") << "settings"
                                             << "Exit";
    }
    void endsAtOnce()
    {
        QFETCH(QString, state);
        QFETCH(QString, route);
        QPointer<Dialog> dialog = form->existingSettingsDialog();
        if (state == "running" || state == "paused") {
            form->Command2_Click();
        }
        if (state == "paused") {
            form->CommPause_Click();
        }
        if (state == "help") {
            form->mnuHelpGeneral_Click();
        }
        if (state == "about") {
            form->mnuHelpAbout_Click();
        }
        if (state == "settings") {
            dialog = openSettings(true);
            QVERIFY(testsupport::typeInto(dialog->findChild<QLineEdit*>("Text2"), "45"));
        } else {
            QVERIFY(testsupport::activate(form.get()));
        }
        QSignalSpy applied(dialog.data(), &Dialog::settingsApplied);
        QSignalSpy cancelled(dialog.data(), &Dialog::cancelled);

        QTimer::singleShot(0, form.get(), [&] {
            if (route == "Exit") {
                form->findChild<QAction*>("mnuFileExit")->trigger();
            } else if (route == "Ctrl+X") {
                QTest::keyClick(form.get(), Qt::Key_X, Qt::ControlModifier);
            } else {
                form->close();
            }
        });
        constexpr int watchdogMilliseconds = 5000;
        constexpr int watchdogExit = 99;
        QTimer::singleShot(watchdogMilliseconds, [] { QCoreApplication::exit(watchdogExit); });
        QCOMPARE(QApplication::exec(), 0);

        for (QWidget* window : QApplication::topLevelWidgets()) {
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
        }
        QCOMPARE(applied.count(), 0);
        QCOMPARE(cancelled.count(), 0);
        QVERIFY2(!dialog.isNull(), "the dialog was not closed, so it was not destroyed either");
        QVERIFY(!runs(Side::Left) && !runs(Side::Right) && !awake->held);
    }
};

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"
