#pragma once

#include <clockcore.h>

#include <array>

class Announcer;
class QLabel;
class QMainWindow;
class QWidget;

// What a screen reader says of the clock window: what each control is for, the clocks and
// counters in words (the glyphs and bare digits on screen say little when read out), and a
// word when the move passes, the game pauses or a player's time runs low. All of it is said
// from what the labels show, so that a screen reader never tells another time or count than
// the one on screen.
class SpokenClock
{
public:
    // One side's labels, as the clock face shows them.
    struct Labels
    {
        QLabel* hours;
        QLabel* minutes;
        QLabel* seconds;
        QLabel* moves;
        QLabel* gameOverMark;
    };

    explicit SpokenClock(QWidget& clientArea);

    // The names of the controls that say nothing by themselves; the menus built.
    static void describe(QMainWindow& window);

    void update(const Labels& shown, clockcore::Side side);
    // The move has passed to this player, whose button now has the focus.
    void announceTurn(const Labels& shown, clockcore::Side toMove);
    void announcePause();
    // Said on a side's first warning tick only, until its warning is lifted again.
    void announceLowTime(const Labels& shown, clockcore::Side side);
    void liftLowTime(clockcore::Side side);

private:
    Announcer* m_announcer;
    std::array<bool, 2> m_lowTimeSaid{false, false};
};
