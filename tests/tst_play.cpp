// Playing a game through real input: pushes by mouse, Space and the Game menu's shortcuts,
// ticks, pause and resume, the banner strip. Each scenario is a table of steps with what the
// players see after each.

#include "testsupport.h"

namespace {
// One step: an action, then the state expected after it, written as describe() writes it:
// "moves L/R labels L/R buttons <shown push buttons> focus <Set|1|2|other> menu <L|-><R|->
//  run <L|R|-> pic <1..3> banner <bannerTicks>"
struct Step
{
    QString action;
    QString expected;
};
} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class PlayTest : public QObject, protected testsupport::ClockWindowFixture
{
    Q_OBJECT

private:
    QString describe()
    {
        const clockcore::ClockState& s = form->clockState();
        auto* command1 = find<QPushButton>("Command1");
        auto* command2 = find<QPushButton>("Command2");
        QString buttons;
        buttons += command1->isVisibleTo(form.get()) ? "1" : "";
        buttons += command2->isVisibleTo(form.get()) ? "2" : "";
        // The window's own focus widget: the one that gets the keys whenever the window is
        // active (a message box may just have taken the activation away).
        const QWidget* focus = form->focusWidget();
        const QString focusName = focus == command1                       ? "1"
                                  : focus == command2                     ? "2"
                                  : focus == find<QPushButton>("CommSet") ? "Set"
                                                                          : "other";
        QString menu;
        menu += find<QAction>("mnuGameLeft")->isEnabled() ? "L" : "-";
        menu += find<QAction>("mnuGameRight")->isEnabled() ? "R" : "-";
        const bool left = runs(clockcore::Side::Left);
        const bool right = runs(clockcore::Side::Right);
        const QString run = left && right ? "both" : left ? "L" : right ? "R" : "-";
        QString picture;
        for (const char* name : {"Picture1", "Picture2", "Picture3"}) {
            if (find<QLabel>(name)->isVisibleTo(form.get())) {
                picture += QString::fromLatin1(name).back();
            }
        }
        return QStringLiteral("moves %1/%2 labels %3/%4 buttons %5 focus %6 menu %7 run %8 "
                              "pic %9 banner %10")
            .arg(s.leftMoves)
            .arg(s.rightMoves)
            .arg(find<QLabel>("MovesLeft")->text(), find<QLabel>("MovesRight")->text(), buttons,
                 focusName, menu, run, picture)
            .arg(s.bannerTicks);
    }

    static void addScenario(const char* name, QList<Step> steps) { QTest::newRow(name) << steps; }

private slots:
    void init() { QVERIFY(openClockWindow()); }
    void cleanup() { closeClockWindow(); }

    void game_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        const QString ready =
            "moves 0/0 labels 0/0 buttons 12 focus Set menu LR run - pic 1 banner 0";
        addScenario(
            "first push counts nothing, then Space alternates",
            {{"", ready},
             {"click1", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"tick L 3", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 3"},
             {"space", "moves 1/0 labels 1/0 buttons 1 focus 1 menu L- run R pic 1 banner 3"},
             {"tick R 2", "moves 1/0 labels 1/0 buttons 1 focus 1 menu L- run R pic 1 banner 5"},
             {"space", "moves 1/1 labels 1/1 buttons 2 focus 2 menu -R run L pic 1 banner 5"},
             {"click2", "moves 2/1 labels 2/1 buttons 1 focus 1 menu L- run R pic 1 banner 5"}});
        addScenario(
            "first push on the left player's button starts the right clock",
            {{"click2", "moves 0/0 labels 0/0 buttons 1 focus 1 menu L- run R pic 1 banner 0"},
             {"space", "moves 0/1 labels 0/1 buttons 2 focus 2 menu -R run L pic 1 banner 0"}});
        addScenario(
            "pause right after the first push",
            {{"click1", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"pause", "moves 0/-1 labels 0/0 buttons 1 focus 1 menu L- run - pic 1 banner 0"},
             {"space", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 0"}});
        addScenario(
            "pause and resume with counts 3, resumed from the menu",
            {{"click1", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"space", "moves 1/0 labels 1/0 buttons 1 focus 1 menu L- run R pic 1 banner 0"},
             {"space", "moves 1/1 labels 1/1 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"space", "moves 2/1 labels 2/1 buttons 1 focus 1 menu L- run R pic 1 banner 0"},
             {"space", "moves 2/2 labels 2/2 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"space", "moves 3/2 labels 3/2 buttons 1 focus 1 menu L- run R pic 1 banner 0"},
             {"space", "moves 3/3 labels 3/3 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"pause", "moves 3/2 labels 3/3 buttons 1 focus 1 menu L- run - pic 1 banner 0"},
             {"ctrl L", "moves 3/3 labels 3/3 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"ctrl P", "moves 3/2 labels 3/3 buttons 1 focus 1 menu L- run - pic 1 banner 0"},
             {"click1", "moves 3/3 labels 3/3 buttons 2 focus 2 menu -R run L pic 1 banner 0"}});
        addScenario(
            "pause while the right clock runs",
            {{"click2", "moves 0/0 labels 0/0 buttons 1 focus 1 menu L- run R pic 1 banner 0"},
             {"space", "moves 0/1 labels 0/1 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"space", "moves 1/1 labels 1/1 buttons 1 focus 1 menu L- run R pic 1 banner 0"},
             {"pause", "moves 0/1 labels 1/1 buttons 2 focus 2 menu -R run - pic 1 banner 0"},
             {"space", "moves 1/1 labels 1/1 buttons 1 focus 1 menu L- run R pic 1 banner 0"}});
        addScenario(
            "banner strip: equal to the period stays, one more advances, three wrap",
            {{"click1", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"tick L 10", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 10"},
             {"space", "moves 1/0 labels 1/0 buttons 1 focus 1 menu L- run R pic 1 banner 10"},
             {"tick R 1", "moves 1/0 labels 1/0 buttons 1 focus 1 menu L- run R pic 1 banner 11"},
             {"space", "moves 1/1 labels 1/1 buttons 2 focus 2 menu -R run L pic 2 banner 0"},
             {"tick L 11", "moves 1/1 labels 1/1 buttons 2 focus 2 menu -R run L pic 2 banner 11"},
             {"space", "moves 2/1 labels 2/1 buttons 1 focus 1 menu L- run R pic 3 banner 0"},
             {"tick R 11", "moves 2/1 labels 2/1 buttons 1 focus 1 menu L- run R pic 3 banner 11"},
             {"space", "moves 2/2 labels 2/2 buttons 2 focus 2 menu -R run L pic 1 banner 0"}});
        addScenario(
            "banner: time paused counts nothing",
            {{"click1", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"tick L 6", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 6"},
             {"pause", "moves 0/-1 labels 0/0 buttons 1 focus 1 menu L- run - pic 1 banner 6"},
             {"space", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 6"},
             {"tick L 5", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 11"},
             {"space", "moves 1/0 labels 1/0 buttons 1 focus 1 menu L- run R pic 2 banner 0"}});
        addScenario(
            "after the left clock runs out its button still counts and starts the right clock",
            {{"click1", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"seconds L 2", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"tick L 2", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run - pic 1 banner 2"},
             {"click2", "moves 1/0 labels 1/0 buttons 1 focus 1 menu L- run R pic 1 banner 2"},
             {"tick R 3", "moves 1/0 labels 1/0 buttons 1 focus 1 menu L- run R pic 1 banner 5"}});
        addScenario(
            "Ctrl+L starts the left clock once; disabled, its shortcut does nothing",
            {{"ctrl L", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"ctrl L", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"ctrl I", "moves 1/0 labels 1/0 buttons 1 focus 1 menu L- run R pic 1 banner 0"},
             {"ctrl I", "moves 1/0 labels 1/0 buttons 1 focus 1 menu L- run R pic 1 banner 0"},
             {"ctrl L", "moves 1/1 labels 1/1 buttons 2 focus 2 menu -R run L pic 1 banner 0"}});
        addScenario(
            "pause with no clock running does nothing",
            {{"pause", "moves 0/0 labels 0/0 buttons 12 focus other menu LR run - pic 1 banner 0"},
             {"click1", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"pause", "moves 0/-1 labels 0/0 buttons 1 focus 1 menu L- run - pic 1 banner 0"},
             {"ctrl P", "moves 0/-1 labels 0/0 buttons 1 focus 1 menu L- run - pic 1 banner 0"},
             {"space", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"seconds L 1", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run L pic 1 banner 0"},
             {"tick L 1", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run - pic 1 banner 1"},
             {"ctrl P", "moves 0/0 labels 0/0 buttons 2 focus 2 menu -R run - pic 1 banner 1"}});
        addScenario(
            "Alt+P pauses and Alt+R resets",
            {{"click2", "moves 0/0 labels 0/0 buttons 1 focus 1 menu L- run R pic 1 banner 0"},
             {"alt P", "moves -1/0 labels 0/0 buttons 2 focus 2 menu -R run - pic 1 banner 0"},
             {"alt R", "moves 0/0 labels 0/0 buttons 12 focus 2 menu LR run - pic 1 banner 0"}});
    }
    void game()
    {
        QFETCH(QList<Step>, steps);
        int index = 0;
        int letGo = 0;
        bool ran = false;
        for (const Step& step : steps) {
            if (!step.action.isEmpty()) {
                perform(step.action);
            }
            QCOMPARE(describe() + QStringLiteral(" after step %1").arg(index),
                     step.expected + QStringLiteral(" after step %1").arg(index));
            // The display is held exactly while a clock runs, and let go only when none runs on.
            const bool runs =
                this->runs(clockcore::Side::Left) || this->runs(clockcore::Side::Right);
            letGo += ran && !runs ? 1 : 0;
            ran = runs;
            QCOMPARE(awake->held, runs);
            QCOMPARE(awake->letGo, letGo);
            ++index;
        }
    }
};

QTEST_MAIN(PlayTest)
#include "tst_play.moc"
