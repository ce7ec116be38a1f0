#include "spokenclock.h"

#include <spokentext.h>

#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

using clockcore::Side;

namespace {

// "1 hour", "4 minutes": a count as a screen reader should say it.
QString spokenCount(int count, const char* one, const char* many)
{
    return QString::number(count) + QLatin1Char(' ') + QString::fromLatin1(count == 1 ? one : many);
}

struct ShownTime
{
    int hours, minutes, seconds;
};

ShownTime shownTime(const SpokenClock::Labels& shown)
{
    return {shown.hours->text().toInt(), shown.minutes->text().toInt(),
            shown.seconds->text().toInt()};
}

// "4 minutes 59 seconds", "1 hour 0 minutes 5 seconds": the hours only where there are any.
QString remaining(const SpokenClock::Labels& shown)
{
    const ShownTime time = shownTime(shown);
    QString text = spokenCount(time.minutes, "minute", "minutes") + QLatin1Char(' ') +
                   spokenCount(time.seconds, "second", "seconds");
    return time.hours > 0 ? spokenCount(time.hours, "hour", "hours") + QLatin1Char(' ') + text
                          : text;
}

QString playerOf(Side side)
{
    return side == Side::Left ? QStringLiteral("Left player") : QStringLiteral("Right player");
}

} // namespace

SpokenClock::SpokenClock(QWidget& clientArea)
    : m_announcer(new Announcer(QStringLiteral("Moves and low time"), &clientArea))
{
    m_announcer->setObjectName(QStringLiteral("announcer"));
}

void SpokenClock::describe(QMainWindow& window)
{
    constexpr char banner[] = "Banner picture";
    describeForScreenReaders(
        window, {{"clientArea", "Clock face", nullptr},
                 {"Picture1", banner, nullptr},
                 {"Picture2", banner, nullptr},
                 {"Picture3", banner, nullptr},
                 // The push buttons show only arrows; their tooltips stay as the descriptions.
                 {"Command2", "Left player's clock button: end the left player's move", nullptr},
                 {"Command1", "Right player's clock button: end the right player's move", nullptr},
                 {"Label5", nullptr, "Caption of the left player's move counter"},
                 {"Label6", nullptr, "Caption of the right player's move counter"},
                 {"lblDot1", "Left clock: separator of hours and minutes", nullptr},
                 {"lblDot2", "Left clock: separator of minutes and seconds", nullptr},
                 {"lblDot3", "Right clock: separator of hours and minutes", nullptr},
                 {"lblDot4", "Right clock: separator of minutes and seconds", nullptr}});
    // A menu's popup is named as its entry in the menu bar is.
    for (QMenu* menu : window.menuBar()->findChildren<QMenu*>()) {
        menu->setAccessibleName(QString(menu->title()).remove(QLatin1Char('&')));
    }
}

// The hours label, the first of a clock, carries the whole time.
void SpokenClock::update(const Labels& shown, Side side)
{
    const QString clock =
        side == Side::Left ? QStringLiteral("Left clock") : QStringLiteral("Right clock");
    const ShownTime time = shownTime(shown);
    setAccessibleNameIfChanged(*shown.hours,
                               QStringLiteral("%1: %2 %3 %4")
                                   .arg(clock, spokenCount(time.hours, "hour", "hours"),
                                        spokenCount(time.minutes, "minute", "minutes"),
                                        spokenCount(time.seconds, "second", "seconds")));
    setAccessibleNameIfChanged(*shown.minutes,
                               QStringLiteral("%1 minutes: %2").arg(clock).arg(time.minutes));
    setAccessibleNameIfChanged(*shown.seconds,
                               QStringLiteral("%1 seconds: %2").arg(clock).arg(time.seconds));
    setAccessibleNameIfChanged(
        *shown.moves, QStringLiteral("%1's moves: %2").arg(playerOf(side), shown.moves->text()));
    setAccessibleNameIfChanged(*shown.gameOverMark,
                               shown.gameOverMark->text().isEmpty()
                                   ? QStringLiteral("%1: time is not up").arg(clock)
                                   : QStringLiteral("%1: time is up, the game is over").arg(clock));
}

void SpokenClock::announceTurn(const Labels& shown, Side toMove)
{
    m_announcer->announce(
        QStringLiteral("%1 to move, %2 left").arg(playerOf(toMove), remaining(shown)));
}

void SpokenClock::announcePause()
{
    m_announcer->announce(QStringLiteral("Game paused"));
}

void SpokenClock::announceLowTime(const Labels& shown, Side side)
{
    bool& said = m_lowTimeSaid[static_cast<int>(side)];
    if (!said) {
        said = true;
        m_announcer->announce(QStringLiteral("%1's time is running low, %2 left")
                                  .arg(playerOf(side), remaining(shown)));
    }
}

void SpokenClock::liftLowTime(Side side)
{
    m_lowTimeSaid[static_cast<int>(side)] = false;
}
