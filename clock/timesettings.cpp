#include "timesettings.h"

#include "clockcore.h"

#include <algorithm>

namespace clockcore {

qint16 sideSeconds(std::optional<qint16> hours, std::optional<qint16> minutes)
{
    constexpr int secondsPerMinute = 60;
    constexpr int minutesPerHour = 60;
    const int h = hours.value_or(0);
    int m = minutes.value_or(0);
    if (h == 0 && m == 0) {
        m = minutesForEmptySetting;
    }
    // Wider than 16 bits: 9 h 59 min is 35,940 seconds.
    int total = (h * minutesPerHour + m) * secondsPerMinute;
    if (total <= 0) {
        total = minutesForEmptySetting * secondsPerMinute;
    }
    return static_cast<qint16>(std::min<int>(total, maxCount));
}

} // namespace clockcore
