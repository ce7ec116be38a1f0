#include "clockcore.h"

#include <algorithm>
#include <limits>

namespace clockcore {

namespace {
constexpr int secondsPerMinute = 60;
constexpr int secondsPerHour = 3600;

// Counters that only grow stop at the top of their 16-bit range instead of wrapping to a
// negative value that would break every comparison made with them.
qint16 saturatingIncrement(qint16 value)
{
    return value < maxCount ? static_cast<qint16>(value + 1) : maxCount;
}
} // namespace

TimeParts splitTime(qint16 seconds)
{
    const int total = std::max<int>(seconds, 0);
    const int hours = total / secondsPerHour;
    const int minutes = (total - hours * secondsPerHour) / secondsPerMinute;
    return {hours, minutes, total - hours * secondsPerHour - minutes * secondsPerMinute};
}

TickResult tick(ClockState& state, Side running)
{
    state.bannerTicks = saturatingIncrement(state.bannerTicks);
    qint16& seconds = state.seconds(running);
    if (seconds > 0) {
        --seconds;
    }
    return {splitTime(seconds), seconds < state.warnSeconds, seconds == 0};
}

PushResult push(ClockState& state, Side pusher)
{
    PushResult result;
    qint16& moves = state.moves(pusher);
    if (state.gameStarted[gameStartedCopyOf(pusher)] != False) {
        moves = saturatingIncrement(moves);
    }
    if (state.bannerTicks > state.bannerPeriod) {
        result.advanceBanner = true;
        state.bannerTicks = 0;
    }
    result.moves = moves;
    state.gameStarted = {True, True};
    return result;
}

void pause(ClockState& state, Side running)
{
    // The player who pushed last is the one whose clock is not running. Like the counts that
    // grow, this one stops at the end of its range rather than wrap round to the top.
    qint16& moves = state.moves(opponent(running));
    if (moves > std::numeric_limits<qint16>::min()) {
        --moves;
    }
}

qint16 warnThreshold(qint16 leftSeconds, qint16 rightSeconds)
{
    return (leftSeconds < longGameSeconds || rightSeconds < longGameSeconds) ? lowTimeThresholdShort
                                                                             : lowTimeThresholdLong;
}

void startGame(ClockState& state, qint16 leftSeconds, qint16 rightSeconds, qint16 bannerPeriod)
{
    state.leftSeconds = leftSeconds;
    state.rightSeconds = rightSeconds;
    state.leftMoves = 0;
    state.rightMoves = 0;
    state.warnSeconds = warnThreshold(leftSeconds, rightSeconds);
    state.gameStarted = {False, False};
    state.bannerTicks = 0;
    state.bannerPeriod = bannerPeriod;
}

} // namespace clockcore
