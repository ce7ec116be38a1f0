#pragma once

#include "clockstate.h"

namespace clockcore {

inline constexpr qint16 maxCount = 32767;
inline constexpr qint16 lowTimeThresholdShort = 60;
inline constexpr qint16 lowTimeThresholdLong = 180;
// Either side starting below this many seconds gets the short warning threshold.
inline constexpr qint16 longGameSeconds = 600;
inline constexpr qint16 bannerPeriodAtStartUp = 10;
inline constexpr qint16 bannerPeriodAtReset = 30;

struct TimeParts
{
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    friend bool operator==(const TimeParts&, const TimeParts&) = default;
};

// Hours, minutes and seconds of a remaining time; a negative time shows as zero.
TimeParts splitTime(qint16 seconds);

struct TickResult
{
    TimeParts shown;
    bool warn = false;    // below the threshold: beep and warning colours
    bool timeOut = false; // at zero: game-over mark and message
};

// One second of the running side: counts the banner tick, takes a second off (never below
// zero) and decides the warning and the time-out.
TickResult tick(ClockState& state, Side running);

struct PushResult
{
    qint16 moves = 0;           // the pusher's count after the push
    bool advanceBanner = false; // the strip shows its next picture
};

// The counting part of a push by `pusher`: counts his move once the game has started,
// decides whether the banner strip advances, and marks the game as started.
PushResult push(ClockState& state, Side pusher);

// Pause while `running`'s clock runs: lowers the count of the player who pushed last, so
// that the resuming push, which counts again, puts it back.
void pause(ClockState& state, Side running);

qint16 warnThreshold(qint16 leftSeconds, qint16 rightSeconds);

// The clock part of start-up and reset: both times, counts at zero, not started.
void startGame(ClockState& state, qint16 leftSeconds, qint16 rightSeconds, qint16 bannerPeriod);

} // namespace clockcore
