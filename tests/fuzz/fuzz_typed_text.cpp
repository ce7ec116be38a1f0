// Fuzzes everything a typed time text goes through: the number rule in several locales, the
// settings dialog's range decision, and the rule that turns a side's hours and minutes texts
// into its seconds. Aborts, naming the broken promise, on the first input that breaks one.
//
// An input is UTF-8. The whole of it is one text; split at its first '|', it is also the pair
// of texts (hours, minutes) of one side.

#include <numberconversion.h>
#include <timesettings.h>

#include <QLocale>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

namespace {

constexpr int smallest = std::numeric_limits<qint16>::min();
constexpr int largest = std::numeric_limits<qint16>::max();
constexpr int secondsPerMinute = 60;
constexpr int minutesPerHour = 60;
constexpr char pairSeparator = '|';

// A decimal point, a decimal comma, blanks and points as group separators, Arabic-Indic
// digits with their own decimal separator and minus sign, and the C locale's bare rules.
const std::array<QLocale, 8>& locales()
{
    static const std::array<QLocale, 8> all{
        QLocale::c(),
        QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::French, QLocale::France),
        QLocale(QLocale::Russian, QLocale::Russia),
        QLocale(QLocale::Arabic, QLocale::Egypt),
        QLocale(QLocale::Hindi, QLocale::India),
        QLocale(QLocale::Chinese, QLocale::China),
    };
    return all;
}

void describe(const char* what, const QString& text)
{
    std::fprintf(stderr, "  %s \"%s\" (UTF-16:", what, text.toUtf8().constData());
    for (const QChar c : text) {
        std::fprintf(stderr, " %04x", static_cast<unsigned>(c.unicode()));
    }
    std::fprintf(stderr, ")\n");
}

[[noreturn]] void broken(const char* promise, const QLocale& locale, const QString& text,
                         const QString& second = {})
{
    std::fprintf(stderr, "BROKEN PROMISE: %s\n  locale %s\n", promise,
                 locale.name().toUtf8().constData());
    describe("text", text);
    if (!second.isNull()) {
        describe("minutes text", second);
    }
    std::abort();
}

// The value of a text that is nothing but an optional ASCII sign and ASCII digits, worked out
// without QLocale: every locale must read such a text the same way. Magnitudes beyond 16 bits
// come back as one past the limit, which is all the checks need.
std::optional<int> plainIntegerValue(const QString& trimmed)
{
    qsizetype pos = 0;
    bool negative = false;
    if (!trimmed.isEmpty() && (trimmed[0] == u'+' || trimmed[0] == u'-')) {
        negative = trimmed[0] == u'-';
        pos = 1;
    }
    if (pos == trimmed.size()) {
        return std::nullopt;
    }
    long magnitude = 0;
    for (; pos < trimmed.size(); ++pos) {
        if (trimmed[pos] < u'0' || trimmed[pos] > u'9') {
            return std::nullopt;
        }
        magnitude = std::min<long>(magnitude * 10 + (trimmed[pos].unicode() - u'0'), largest + 2L);
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

// One text in one locale: the number rule and the dialog's range decisions on its result.
std::optional<qint16> checkText(const QString& text, const QLocale& locale)
{
    const std::optional<qint16> value = clockcore::convertNumber(text, locale);

    // Cross-check with the locale's own reading of the trimmed text, rounded by the C library
    // (whose default rounding mode sends halves to the even neighbour).
    const QString trimmed = text.trimmed();
    bool ok = false;
    const double read = locale.toDouble(trimmed, &ok);
    const bool number = ok && std::isfinite(read);
    const double rounded = number ? std::nearbyint(read) : 0.0;
    const bool inRange = number && rounded >= smallest && rounded <= largest;
    if (value.has_value()) {
        if (!number) {
            broken("a value only for a text the locale reads as a finite number", locale, text);
        }
        if (rounded != *value || std::fabs(read - *value) > 0.5) {
            broken("the value is the number rounded, a half to the even neighbour", locale, text);
        }
        if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); })) {
            broken("no value for a text without a single digit", locale, text);
        }
    } else if (inRange) {
        broken("every number that rounds into 16 bits has a value", locale, text);
    }

    if (const std::optional<int> plain = plainIntegerValue(trimmed)) {
        const bool fits = *plain >= smallest && *plain <= largest;
        if (fits ? value != std::optional<qint16>(static_cast<qint16>(*plain))
                 : value.has_value()) {
            broken("a plain integer reads as itself when it fits 16 bits, else has no value",
                   locale, text);
        }
    }

    for (const qint16 maximum : {clockcore::maxHours, clockcore::maxMinutes}) {
        const bool expected = value.has_value() && *value >= 0 && *value <= maximum;
        if (clockcore::withinRange(value, maximum) != expected) {
            broken(maximum == clockcore::maxHours ? "hours pass the check exactly for 0..9"
                                                  : "minutes pass the check exactly for 0..59",
                   locale, text);
        }
    }
    return value;
}

// One side's hours and minutes texts: the seconds its clock starts with.
void checkSide(const QString& hoursText, const QString& minutesText, const QLocale& locale)
{
    const std::optional<qint16> hours = checkText(hoursText, locale);
    const std::optional<qint16> minutes = checkText(minutesText, locale);
    const int seconds = clockcore::sideSeconds(hours, minutes);
    for (const auto& [breaks, promise] :
         {std::pair{seconds < 0, "a side's seconds are never negative"},
          {seconds == 0, "a side never starts with no time (no time at all plays 5 minutes)"},
          {seconds > largest, "a side's seconds never exceed 32767"}}) {
        if (breaks) {
            broken(promise, locale, hoursText, minutesText);
        }
    }
    // Texts that pass the dialog's checks give exactly their time, clamped to what the clock
    // holds; 0 h 0 min is the one exception.
    const bool passesDialog = clockcore::withinRange(hours, clockcore::maxHours) &&
                              clockcore::withinRange(minutes, clockcore::maxMinutes);
    if (passesDialog) {
        const int total = (*hours * minutesPerHour + *minutes) * secondsPerMinute;
        const int expected = total == 0 ? clockcore::minutesForEmptySetting * secondsPerMinute
                                        : std::min(total, largest);
        if (seconds != expected) {
            broken("checked hours and minutes give (h x 60 + m) x 60 seconds, at most 32767",
                   locale, hoursText, minutesText);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto* bytes = reinterpret_cast<const char*>(data);
    const auto length = static_cast<qsizetype>(size);
    const QString whole = QString::fromUtf8(bytes, length);
    const void* found = std::memchr(bytes, pairSeparator, size);
    const qsizetype split = found != nullptr ? static_cast<const char*>(found) - bytes : length;
    const QString hoursText = QString::fromUtf8(bytes, split);
    const QString minutesText =
        split < length ? QString::fromUtf8(bytes + split + 1, length - split - 1) : QString();

    for (const QLocale& locale : locales()) {
        checkText(whole, locale);
        checkSide(hoursText, minutesText, locale);
    }
    return 0;
}
