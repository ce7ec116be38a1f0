#pragma once

#include <QtGlobal>

#include <optional>

namespace clockcore {

inline constexpr qint16 maxHours = 9;
inline constexpr qint16 maxMinutes = 59;
// A side set to no time at all plays this many minutes.
inline constexpr qint16 minutesForEmptySetting = 5;

// The settings dialog's converted field values, as its range checks last saw them.
struct TimeSettings
{
    qint16 leftHours = 0;
    qint16 leftMinutes = 0;
    qint16 rightHours = 0;
    qint16 rightMinutes = 0;
};

// The range check's decision for one field: a value only passes when there is one and it
// lies within 0..maximum.
constexpr bool withinRange(std::optional<qint16> value, qint16 maximum)
{
    return value.has_value() && *value >= 0 && *value <= maximum;
}

// One side's remaining seconds from its hours and minutes settings as converted (no value
// counts as 0). A side set to 0 h 0 min plays 0 h 5 min; so does a side whose total comes to
// nothing or less (a negative minutes text, say), since a clock must never count away from zero.
// Totals above what the 16-bit clock holds are clamped to its largest value instead of wrapping.
qint16 sideSeconds(std::optional<qint16> hours, std::optional<qint16> minutes);

} // namespace clockcore
