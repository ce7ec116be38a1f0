#pragma once

#include <QLocale>
#include <QStringView>

#include <optional>

namespace clockcore {

// The one rule by which a text the user typed becomes a number, everywhere in the program:
// the locale's conventions, blanks around the number ignored, a sign allowed, a fraction
// rounded to the nearest whole number with halves going to the even neighbour. A text that is
// not a finite number, or whose rounded value does not fit 16 bits, has no value.
std::optional<qint16> convertNumber(QStringView text, const QLocale& locale = QLocale());

// Rounds to the nearest whole number, a half to the even neighbour (8.5 -> 8, 9.5 -> 10).
double roundHalfToEven(double value);

} // namespace clockcore
