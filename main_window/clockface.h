#pragma once

#include "spokenclock.h"

#include <clockcore.h>

#include <QColor>

#include <array>

class QLabel;
class QMainWindow;
class QPushButton;
class QWidget;

// The clock window's client area: the controls of its design, built from the design's tables,
// and the ways in which play changes how they look. What happens when is the window's business.
class ClockFace
{
public:
    // Everything that differs between the two sides, so that what is shown for a side is written
    // once for both and the two stay exact mirror images.
    struct SideControls
    {
        QLabel* hours = nullptr;
        QLabel* minutes = nullptr;
        QLabel* seconds = nullptr;
        QLabel* secondColon = nullptr;
        QLabel* gameOverMark = nullptr;
        QLabel* moves = nullptr;
        QPushButton* pushButton = nullptr; // this player's push button
        QColor clockColour;
    };

    // Builds the client area as the window's central widget.
    explicit ClockFace(QMainWindow& window);

    const SideControls& side(clockcore::Side side) const;

    // The digits as the count-down writes them, no leading zeros.
    void showTime(clockcore::Side side, const clockcore::TimeParts& time);
    // The same as start-up and reset write them: "00" for the seconds of a whole minute.
    void showStartingTime(clockcore::Side side, const clockcore::TimeParts& time);
    void showMoves(clockcore::Side side, qint16 moves);
    // The warning colours, or the clock's own. A screen reader hears a side's warning once, with
    // its first warning colours after start-up or reset.
    void setClockColours(clockcore::Side side, bool warning);
    void setGameOverMark(clockcore::Side side, bool over);
    // For screen readers, who do not see the focus land.
    void announceTurn(clockcore::Side toMove);
    void announcePause();
    void showFirstBanner();
    // The strip keeps no index: the picture shown is the one that is visible.
    void advanceBannerStrip();

    QWidget* clientArea = nullptr;
    QLabel* Picture1 = nullptr;
    QLabel* Picture2 = nullptr;
    QLabel* Picture3 = nullptr;
    QPushButton* CommSet = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* CommPause = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* CommReset = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* MovesLeft = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* MovesRight = nullptr;
    QLabel* lblHoursLeft = nullptr;
    QLabel* lblMinLeft = nullptr;
    QLabel* lblSecLeft = nullptr;
    QLabel* lblHoursRight = nullptr;
    QLabel* lblMinRight = nullptr;
    QLabel* lblSecRight = nullptr;
    QLabel* lblDot1 = nullptr;
    QLabel* lblDot2 = nullptr;
    QLabel* lblDot3 = nullptr;
    QLabel* lblDot4 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;

private:
    static QWidget* createClientArea(QMainWindow& window);
    void createBannerStrip();
    void createButtons();
    void createMoveCounters();
    void createClockDigits();
    void createColons();
    void createGameOverMarks();
    void setTabOrder();

    SpokenClock::Labels spokenLabels(clockcore::Side side) const;

    std::array<SideControls, 2> m_sides;
    SpokenClock m_spoken;
};
