// What a screen reader hears: every control of every window named or described, the push
// buttons by what they do, the clocks as times, the counters as counts and "Over" as the end of
// the game; the visible texts stay as they are.

#include "testsupport.h"

#include <spokentext.h>

#include <QAccessible>

using clockcore::Side;

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
        QTest::newRow("left") << QString("Combo1") << "Left player's hours";
        QTest::newRow("right") << QString("Combo2") << "Right player's hours";
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

    // A side's digits as shown, and its three labels as read: as the program starts, and after
    // one tick from a given time.
    void clocksAreReadAsTimes_data()
    {
        QTest::addColumn<Side>("side");
        QTest::addColumn<int>("secondsBefore"); // 0: as the program starts, no tick
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QStringList>("names");
        const auto row = [](const char* tag, Side side, int before, const char* digits,
                            const char* time, const char* minutes, const char* seconds) {
            const QString clock = side == Side::Left ? "Left clock" : "Right clock";
            QTest::newRow(tag) << side << before << digits
                               << QStringList{clock + ": " + time, clock + " minutes: " + minutes,
                                              clock + " seconds: " + seconds};
        };
        row("left at start-up", Side::Left, 0, "0:5:00", "0 hours 5 minutes 0 seconds", "5", "0");
        row("right at start-up", Side::Right, 0, "0:5:00", "0 hours 5 minutes 0 seconds", "5", "0");
        row("left 5 min", Side::Left, 300, "0:4:59", "0 hours 4 minutes 59 seconds", "4", "59");
        row("right 5 min", Side::Right, 300, "0:4:59", "0 hours 4 minutes 59 seconds", "4", "59");
        row("one of each", Side::Left, 3662, "1:1:1", "1 hour 1 minute 1 second", "1", "1");
        row("exactly one hour", Side::Right, 3601, "1:0:0", "1 hour 0 minutes 0 seconds", "0", "0");
        row("largest time", Side::Left, 32767, "9:6:6", "9 hours 6 minutes 6 seconds", "6", "6");
        row("at zero", Side::Right, 1, "0:0:0", "0 hours 0 minutes 0 seconds", "0", "0");
    }
    void clocksAreReadAsTimes()
    {
        QFETCH(Side, side);
        QFETCH(int, secondsBefore);
        QFETCH(QString, digits);
        QFETCH(QStringList, names);
        if (secondsBefore > 0) {
            form->clockState().seconds(side) = static_cast<qint16>(secondsBefore);
            QVERIFY(tick(side));
        }
        QCOMPARE(shown(side), digits);
        QCOMPARE(
            (QStringList{nameOf(label(side, &Names::hours)), nameOf(label(side, &Names::minutes)),
                         nameOf(label(side, &Names::seconds))}),
            names);
    }

    // The left player's push starts the game and counts nothing; then one move each.
    void moveCountersAreReadAsCounts()
    {
        const auto counts = [this] {
            return QStringList{nameOf(label("MovesLeft")), nameOf(label("MovesRight"))};
        };
        QCOMPARE(counts(), (QStringList{"Left player's moves: 0", "Right player's moves: 0"}));
        const QList<std::tuple<QString, int, int>> steps{{"click2", 0, 0}, {"click1", 0, 1},
                                                         {"click2", 1, 1}, {"click1", 1, 2},
                                                         {"click2", 2, 2}, {"reset", 0, 0}};
        for (const auto& [action, left, right] : steps) {
            perform(action);
            QCOMPARE(counts(),
                     (QStringList{QStringLiteral("Left player's moves: %1").arg(left),
                                  QStringLiteral("Right player's moves: %1").arg(right)}));
        }
    }

    // Each focus change is announced: a push hands the focus straight to the button that is to
    // be pushed next, never through Pause or another control on the way.
    void focusGoesStraightToTheNextButton_data()
    {
        QTest::addColumn<QString>("first"); // the first push, if any, before the one watched
        QTest::addColumn<QStringList>("focused");
        QTest::addColumn<QString>("action");
        QTest::newRow("first push by mouse")
            << "" << QStringList{"Command1", "Command2"} << "click1";
        QTest::newRow("Space") << "click1" << QStringList{"Command1"} << "space";
        QTest::newRow("Space, other side") << "click2" << QStringList{"Command2"} << "space";
        QTest::newRow("Ctrl+I") << "click1" << QStringList{"Command1"} << "ctrl I";
        QTest::newRow("Ctrl+L") << "click2" << QStringList{"Command2"} << "ctrl L";
        QTest::newRow("Ctrl+P") << "click1" << QStringList{"Command1"} << "ctrl P";
    }
    void focusGoesStraightToTheNextButton()
    {
        QFETCH(QString, first);
        QFETCH(QStringList, focused);
        QFETCH(QString, action);
        if (!first.isEmpty()) {
            perform(first);
        }
        QStringList seen;
        connect(qApp, &QApplication::focusChanged, this,
                [&seen](QWidget*, QWidget* now) { seen << (now ? now->objectName() : "none"); });
        perform(action);
        disconnect(qApp, &QApplication::focusChanged, this, nullptr);
        QCOMPARE(seen, focused);
    }

    // What is said when the move passes, the game pauses and a player's time runs low: from
    // what the clock shows, and the low time once per side until a reset.
    void announcements()
    {
        const auto* announcer = find<Announcer>("announcer");
        QVERIFY(announcer != nullptr && !announcer->isVisible());
        const QString leftToMove = "Left player to move, 5 minutes 0 seconds left";
        const QString leftLow = "Left player's time is running low, 0 minutes 59 seconds left";
        // After each step, what was said last (empty: not checked).
        const QList<std::pair<QString, QString>> steps{
            {"click1", leftToMove},
            {"seconds L 60", ""},
            {"tick L 1", leftLow},
            {"space", "Right player to move, 5 minutes 0 seconds left"},
            {"space", "Left player to move, 0 minutes 59 seconds left"},
            {"tick L 1", "Left player to move, 0 minutes 59 seconds left"},
            {"ctrl P", "Game paused"},
            {"ctrl R", ""},
            {"ctrl L", leftToMove},
            {"seconds L 60", ""},
            {"tick L 1", leftLow},
            // Each side's own: the right player's first warning is said too.
            {"space", ""},
            {"seconds R 60", ""},
            {"tick R 1", "Right player's time is running low, 0 minutes 59 seconds left"}};
        for (const auto& [action, said] : steps) {
            perform(action);
            if (!said.isEmpty()) {
                QCOMPARE(announcer->text(), said);
            }
        }
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
