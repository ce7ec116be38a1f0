// What a screen reader hears: every control of every window named or described, the push
// buttons by what they do, the clocks as times, the counters as counts and "Over" as the end of
// the game; the visible texts stay as they are.

#include "testsupport.h"

#include <spokentext.h>

#include <QAccessible>

using clockcore::Side;
Q_DECLARE_METATYPE(clockcore::Side)

namespace {

QString accessibleText(QObject* object, QAccessible::Text which)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face != nullptr ? face->text(which) : QString();
}

QString nameOf(QObject* object)
{
    return accessibleText(object, QAccessible::Name);
}

QString descriptionOf(QObject* object)
{
    return accessibleText(object, QAccessible::Description);
}

bool hasLetter(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

using WindowFactory = std::function<std::unique_ptr<QWidget>()>;

} // namespace
Q_DECLARE_METATYPE(WindowFactory)

class AccessibilityTest : public QObject, protected testsupport::ClockWindowFixture
{
    Q_OBJECT

private:
    using Names = testsupport::SideNames;

private slots:
    void init() { QVERIFY(openClockWindow()); }
    void cleanup() { closeClockWindow(); }

    // Every control the program made (all carry an object name) says something, and no button
    // is announced as a bare glyph.
    void everyControlIsNamedOrDescribed_data()
    {
        QTest::addColumn<WindowFactory>("make");
        QTest::newRow("main window")
            << WindowFactory([] { return std::unique_ptr<QWidget>(std::make_unique<Form1>()); });
        QTest::newRow("settings dialog")
            << WindowFactory([] { return std::unique_ptr<QWidget>(std::make_unique<Dialog>()); });
        QTest::newRow("help window")
            << WindowFactory([] { return std::unique_ptr<QWidget>(std::make_unique<Help>()); });
        QTest::newRow("About window")
            << WindowFactory([] { return std::unique_ptr<QWidget>(std::make_unique<frmAbout>()); });
    }
    void everyControlIsNamedOrDescribed()
    {
        QFETCH(WindowFactory, make);
        const std::unique_ptr<QWidget> window = make();
        const QAccessible::Role role = QAccessible::queryAccessibleInterface(window.get())->role();
        QVERIFY2(role == QAccessible::Window || role == QAccessible::Dialog,
                 "every window is presented as a window");
        int controls = 0;
        for (QWidget* control : window->findChildren<QWidget*>()) {
            const QString objectName = control->objectName();
            if (objectName.isEmpty() || objectName.startsWith(QLatin1String("qt_"))) {
                continue; // the toolkit's own parts of a control
            }
            ++controls;
            const QString name = nameOf(control);
            const QString description = descriptionOf(control);
            QVERIFY2(
                hasLetter(name) || hasLetter(description),
                qPrintable(objectName + " says only \"" + name + "\" / \"" + description + "\""));
            if (qobject_cast<QAbstractButton*>(control) != nullptr) {
                QVERIFY2(hasLetter(name),
                         qPrintable(objectName + " is announced as \"" + name + "\""));
            }
        }
        QVERIFY(controls > 0);
    }

    // A combo box is read by its text; the label it is the buddy of says whose hours it holds.
    void hoursFieldsSayWhoseTheyAre_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("name");
        QTest::newRow("left") << "Combo1"
                              << "Left player's hours";
        QTest::newRow("right") << "Combo2"
                               << "Right player's hours";
    }
    void hoursFieldsSayWhoseTheyAre()
    {
        QFETCH(QString, field);
        QFETCH(QString, name);
        Dialog dialog;
        QAccessibleInterface* combo =
            QAccessible::queryAccessibleInterface(dialog.findChild<QWidget*>(field));
        QStringList labels;
        for (const auto& [label, relation] : combo->relations(QAccessible::Label)) {
            labels << label->text(QAccessible::Name);
        }
        QCOMPARE(labels, QStringList{name});
    }

    // The arrows stay on screen; the names tell whose button it is and what pushing it does.
    void pushButtonsSayWhatTheyDo_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("glyph");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::newRow("left player's") << "Command2" << QString(QChar(0x21E8))
                                       << "Left player's clock button: end the left player's move"
                                       << "Clock Push Left Button. Press it also to start.";
        QTest::newRow("right player's")
            << "Command1" << QString(QChar(0x21E6))
            << "Right player's clock button: end the right player's move"
            << "Clock Push Right Button. Press it also to start.";
    }
    void pushButtonsSayWhatTheyDo()
    {
        QFETCH(QString, button);
        QFETCH(QString, glyph);
        QFETCH(QString, name);
        QFETCH(QString, description);
        QCOMPARE(this->button(button)->text(), glyph);
        QCOMPARE(nameOf(this->button(button)), name);
        QCOMPARE(descriptionOf(this->button(button)), description);
    }

    void clocksAreReadAsTimesAtStartUp()
    {
        QCOMPARE(label("lblSecLeft")->text(), QStringLiteral("00"));
        QCOMPARE(nameOf(label("lblHoursLeft")),
                 QStringLiteral("Left clock: 0 hours 5 minutes 0 seconds"));
        QCOMPARE(nameOf(label("lblMinLeft")), QStringLiteral("Left clock minutes: 5"));
        QCOMPARE(nameOf(label("lblSecLeft")), QStringLiteral("Left clock seconds: 0"));
        QCOMPARE(nameOf(label("lblHoursRight")),
                 QStringLiteral("Right clock: 0 hours 5 minutes 0 seconds"));
    }

    // After one tick of a side: its digits as shown, and its three labels as read.
    void clocksAreReadAsTimes_data()
    {
        QTest::addColumn<Side>("side");
        QTest::addColumn<int>("secondsBefore");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("seconds");
        QTest::newRow("left, first tick of five minutes")
            << Side::Left << 300 << "0:4:59"
            << "Left clock: 0 hours 4 minutes 59 seconds"
            << "Left clock minutes: 4"
            << "Left clock seconds: 59";
        QTest::newRow("right, first tick of five minutes")
            << Side::Right << 300 << "0:4:59"
            << "Right clock: 0 hours 4 minutes 59 seconds"
            << "Right clock minutes: 4"
            << "Right clock seconds: 59";
        QTest::newRow("one of each") << Side::Left << 3662 << "1:1:1"
                                     << "Left clock: 1 hour 1 minute 1 second"
                                     << "Left clock minutes: 1"
                                     << "Left clock seconds: 1";
        QTest::newRow("exactly one hour") << Side::Right << 3601 << "1:0:0"
                                          << "Right clock: 1 hour 0 minutes 0 seconds"
                                          << "Right clock minutes: 0"
                                          << "Right clock seconds: 0";
        QTest::newRow("largest time") << Side::Left << 32767 << "9:6:6"
                                      << "Left clock: 9 hours 6 minutes 6 seconds"
                                      << "Left clock minutes: 6"
                                      << "Left clock seconds: 6";
        QTest::newRow("at zero") << Side::Right << 1 << "0:0:0"
                                 << "Right clock: 0 hours 0 minutes 0 seconds"
                                 << "Right clock minutes: 0"
                                 << "Right clock seconds: 0";
    }
    void clocksAreReadAsTimes()
    {
        QFETCH(Side, side);
        QFETCH(int, secondsBefore);
        QFETCH(QString, digits);
        QFETCH(QString, time);
        QFETCH(QString, minutes);
        QFETCH(QString, seconds);
        form->clockState().seconds(side) = static_cast<qint16>(secondsBefore);
        QVERIFY(tick(side));
        QCOMPARE(shown(side), digits);
        QCOMPARE(nameOf(label(side, &Names::hours)), time);
        QCOMPARE(nameOf(label(side, &Names::minutes)), minutes);
        QCOMPARE(nameOf(label(side, &Names::seconds)), seconds);
    }

    void moveCountersAreReadAsCounts()
    {
        QCOMPARE(nameOf(label("MovesLeft")), QStringLiteral("Left player's moves: 0"));
        QCOMPARE(nameOf(label("MovesRight")), QStringLiteral("Right player's moves: 0"));
        // The left player's push starts the game and counts nothing; then one move each.
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(label("MovesRight")->text(), QStringLiteral("1"));
        QCOMPARE(nameOf(label("MovesRight")), QStringLiteral("Right player's moves: 1"));
        QCOMPARE(nameOf(label("MovesLeft")), QStringLiteral("Left player's moves: 0"));
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QCOMPARE(nameOf(label("MovesLeft")), QStringLiteral("Left player's moves: 2"));
        QCOMPARE(nameOf(label("MovesRight")), QStringLiteral("Right player's moves: 2"));
        QTest::mouseClick(button("CommReset"), Qt::LeftButton);
        QCOMPARE(nameOf(label("MovesLeft")), QStringLiteral("Left player's moves: 0"));
        QCOMPARE(nameOf(label("MovesRight")), QStringLiteral("Right player's moves: 0"));
    }

    // Each focus change is announced: a push hands the focus straight to the button that is to
    // be pushed next, never through Pause or another control on the way.
    void focusGoesStraightToTheNextButton_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QKeySequence>("keys"); // none: a click on the first push's button
        QTest::addColumn<QStringList>("focused");
        QTest::newRow("first push by mouse")
            << "" << QKeySequence() << QStringList{"Command1", "Command2"};
        QTest::newRow("Space") << "Command1" << QKeySequence(Qt::Key_Space)
                               << QStringList{"Command1"};
        QTest::newRow("Space, other side")
            << "Command2" << QKeySequence(Qt::Key_Space) << QStringList{"Command2"};
        QTest::newRow("Ctrl+I") << "Command1" << QKeySequence(Qt::CTRL | Qt::Key_I)
                                << QStringList{"Command1"};
        QTest::newRow("Ctrl+L") << "Command2" << QKeySequence(Qt::CTRL | Qt::Key_L)
                                << QStringList{"Command2"};
        QTest::newRow("Ctrl+P") << "Command1" << QKeySequence(Qt::CTRL | Qt::Key_P)
                                << QStringList{"Command1"};
    }
    void focusGoesStraightToTheNextButton()
    {
        QFETCH(QString, first);
        QFETCH(QKeySequence, keys);
        QFETCH(QStringList, focused);
        if (!first.isEmpty()) {
            QTest::mouseClick(button(first), Qt::LeftButton);
        }
        QStringList seen;
        connect(qApp, &QApplication::focusChanged, this,
                [&seen](QWidget*, QWidget* now) { seen << (now ? now->objectName() : "none"); });
        if (keys.isEmpty()) {
            QTest::mouseClick(button("Command1"), Qt::LeftButton);
        } else {
            QTest::keySequence(QApplication::focusWidget(), keys);
        }
        disconnect(qApp, &QApplication::focusChanged, this, nullptr);
        QCOMPARE(seen, focused);
    }

    // What is said when the move passes, the game pauses and a player's time runs low: from
    // what the clock shows, and the low time once per side until a reset.
    void announcements()
    {
        const auto* announcer = find<Announcer>("announcer");
        QVERIFY(announcer != nullptr && !announcer->isVisible());
        const auto said = [announcer] {
            return announcer->text();
        };
        const auto key = [](QKeySequence keys) {
            QTest::keySequence(QApplication::focusWidget(), keys);
        };
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(said(), "Left player to move, 5 minutes 0 seconds left");
        form->clockState().leftSeconds = 60;
        QVERIFY(tick(Side::Left));
        QCOMPARE(said(), "Left player's time is running low, 0 minutes 59 seconds left");
        key(Qt::Key_Space);
        QCOMPARE(said(), "Right player to move, 5 minutes 0 seconds left");
        key(Qt::Key_Space);
        QCOMPARE(said(), "Left player to move, 0 minutes 59 seconds left");
        QVERIFY(tick(Side::Left));
        QCOMPARE(said(), "Left player to move, 0 minutes 59 seconds left");
        key(QKeySequence(Qt::CTRL | Qt::Key_P));
        QCOMPARE(said(), "Game paused");
        key(QKeySequence(Qt::CTRL | Qt::Key_R));
        key(QKeySequence(Qt::CTRL | Qt::Key_L));
        QCOMPARE(said(), "Left player to move, 5 minutes 0 seconds left");
        form->clockState().leftSeconds = 60;
        QVERIFY(tick(Side::Left));
        QCOMPARE(said(), "Left player's time is running low, 0 minutes 59 seconds left");
        // Each side's own: the right player's first warning is said too.
        key(Qt::Key_Space);
        form->clockState().rightSeconds = 60;
        QVERIFY(tick(Side::Right));
        QCOMPARE(said(), "Right player's time is running low, 0 minutes 59 seconds left");
    }

    void gameOverIsReadAsTheEnd_data()
    {
        QTest::addColumn<Side>("side");
        QTest::newRow("left") << Side::Left;
        QTest::newRow("right") << Side::Right;
    }
    void gameOverIsReadAsTheEnd()
    {
        QFETCH(Side, side);
        const bool left = side == Side::Left;
        QLabel* mark = label(side, &Names::mark);
        QLabel* otherMark = label(clockcore::opponent(side), &Names::mark);
        const QString clock = left ? "Left clock" : "Right clock";
        const QString otherClock = left ? "Right clock" : "Left clock";
        QCOMPARE(nameOf(mark), clock + ": time is not up");

        form->clockState().seconds(side) = 1;
        QVERIFY(tick(side));
        QCOMPARE(boxes->seen().size(), std::size_t{1});
        QCOMPARE(mark->text(), QStringLiteral("Over"));
        QCOMPARE(nameOf(mark), clock + ": time is up, the game is over");
        QCOMPARE(nameOf(otherMark), otherClock + ": time is not up");

        QTest::mouseClick(button("CommReset"), Qt::LeftButton);
        QCOMPARE(mark->text(), QString());
        QCOMPARE(nameOf(mark), clock + ": time is not up");
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
