#include "spokenclock.h"

#include <spokentext.h>

#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

// "1 hour", "4 minutes": a count as a screen reader should say it.
QString spokenCount(int count, const char* one, const char* many)
{
    return QString::number(count) + QLatin1Char(' ') + QString::fromLatin1(count == 1 ? one : many);
}

} // namespace

void describeClockFace(QMainWindow& window)
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
void updateSpokenTexts(const ClockFace::SideControls& shown, clockcore::Side side)
{
    const bool left = side == clockcore::Side::Left;
    const QString clock = left ? QStringLiteral("Left clock") : QStringLiteral("Right clock");
    const QString player =
        left ? QStringLiteral("Left player's") : QStringLiteral("Right player's");
    const int hours = shown.hours->text().toInt();
    const int minutes = shown.minutes->text().toInt();
    const int seconds = shown.seconds->text().toInt();
    setAccessibleNameIfChanged(*shown.hours, QStringLiteral("%1: %2 %3 %4")
                                                 .arg(clock, spokenCount(hours, "hour", "hours"),
                                                      spokenCount(minutes, "minute", "minutes"),
                                                      spokenCount(seconds, "second", "seconds")));
    setAccessibleNameIfChanged(*shown.minutes,
                               QStringLiteral("%1 minutes: %2").arg(clock).arg(minutes));
    setAccessibleNameIfChanged(*shown.seconds,
                               QStringLiteral("%1 seconds: %2").arg(clock).arg(seconds));
    setAccessibleNameIfChanged(*shown.moves,
                               QStringLiteral("%1 moves: %2").arg(player, shown.moves->text()));
    setAccessibleNameIfChanged(*shown.gameOverMark,
                               shown.gameOverMark->text().isEmpty()
                                   ? QStringLiteral("%1: time is not up").arg(clock)
                                   : QStringLiteral("%1: time is up, the game is over").arg(clock));
}
