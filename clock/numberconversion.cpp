#include "numberconversion.h"

#include <cmath>
#include <limits>

namespace clockcore {

double roundHalfToEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5) {
        return lower;
    }
    if (fraction > 0.5) {
        return lower + 1.0;
    }
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

std::optional<qint16> convertNumber(QStringView text, const QLocale& locale)
{
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    // QLocale reads "inf" and "nan" as numbers; neither is a time anybody typed.
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    const double rounded = roundHalfToEven(value);
    if (rounded < std::numeric_limits<qint16>::min() ||
        rounded > std::numeric_limits<qint16>::max()) {
        return std::nullopt;
    }
    return static_cast<qint16>(rounded);
}

} // namespace clockcore
