#pragma once

#include <QtGlobal>

#include <array>

namespace clockcore {

// Booleans kept in the clock record are 16-bit integers: 0 for false, all bits set for true.
inline constexpr qint16 False = 0;
inline constexpr qint16 True = -1;

enum class Side
{
    Left,
    Right
};

constexpr Side opponent(Side side)
{
    return side == Side::Left ? Side::Right : Side::Left;
}

// The main window's one record of clock state. Every field is 16 bits wide on purpose:
// the counting rules (and their limits) are defined in terms of that width.
struct ClockState
{
    qint16 leftSeconds = 0;
    qint16 rightSeconds = 0;
    qint16 leftMoves = 0;
    qint16 rightMoves = 0;
    qint16 warnSeconds = 0;
    // Two copies always written together: [0] is consulted by the right player's push,
    // [1] by the left player's push.
    std::array<qint16, 2> gameStarted{False, False};
    qint16 bannerTicks = 0;
    qint16 bannerPeriod = 0;

    qint16& seconds(Side side) { return side == Side::Left ? leftSeconds : rightSeconds; }
    qint16 seconds(Side side) const { return side == Side::Left ? leftSeconds : rightSeconds; }
    qint16& moves(Side side) { return side == Side::Left ? leftMoves : rightMoves; }
    qint16 moves(Side side) const { return side == Side::Left ? leftMoves : rightMoves; }
};

// Index of the gameStarted copy that a side's own push consults.
constexpr std::size_t gameStartedCopyOf(Side pusher)
{
    return pusher == Side::Right ? 0 : 1;
}

} // namespace clockcore
