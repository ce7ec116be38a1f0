// The number rule that every typed text goes through, and the settings-to-seconds rule.

#include <numberconversion.h>
#include <timesettings.h>

#include <QTest>

#include <optional>

using namespace clockcore;

Q_DECLARE_METATYPE(std::optional<qint16>)

namespace {
constexpr int noValue = 99999; // stands for "no value" in the tables
std::optional<qint16> expected(int value)
{
    return value == noValue ? std::nullopt : std::optional<qint16>(static_cast<qint16>(value));
}
} // namespace

class CoreSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void conversion_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        const QString en = QStringLiteral("en_US");
        const QString de = QStringLiteral("de_DE");
        QTest::newRow("en plain") << en << "7" << 7;
        QTest::newRow("en leading zero") << en << "05" << 5;
        QTest::newRow("en blanks around") << en << " 7 " << 7;
        QTest::newRow("en tab around") << en << "\t12\t" << 12;
        QTest::newRow("en plus sign") << en << "+9" << 9;
        QTest::newRow("en minus sign") << en << "-1" << -1;
        QTest::newRow("en half to even down") << en << "8.5" << 8;
        QTest::newRow("en half to even up") << en << "9.5" << 10;
        QTest::newRow("en negative half") << en << "-2.5" << -2;
        QTest::newRow("en just below half") << en << "8.49" << 8;
        QTest::newRow("en just above half") << en << "8.51" << 9;
        QTest::newRow("en 16-bit top") << en << "32767" << 32767;
        QTest::newRow("en 16-bit bottom") << en << "-32768" << -32768;
        QTest::newRow("en rounds past the top") << en << "32767.5" << noValue;
        QTest::newRow("en rounds to the top") << en << "32767.4" << 32767;
        QTest::newRow("en bottom half rounds to even") << en << "-32768.5" << -32768;
        QTest::newRow("en too large") << en << "40000" << noValue;
        QTest::newRow("en huge") << en << "1e300" << noValue;
        QTest::newRow("en empty") << en << "" << noValue;
        QTest::newRow("en blank") << en << "   " << noValue;
        QTest::newRow("en letters") << en << "abc" << noValue;
        QTest::newRow("en number then letters") << en << "5x" << noValue;
        QTest::newRow("en inner blank") << en << "1 0" << noValue;
        QTest::newRow("en infinity") << en << "inf" << noValue;
        QTest::newRow("en not a number") << en << "nan" << noValue;
        QTest::newRow("en misplaced group separator") << en << "8,5" << noValue;
        QTest::newRow("en group separator") << en << "1,000" << 1000;
        QTest::newRow("de decimal comma") << de << "8,5" << 8;
        QTest::newRow("de decimal comma up") << de << "9,5" << 10;
        QTest::newRow("de blanks and sign") << de << " -3 " << -3;
        QTest::newRow("de point is grouping") << de << "1.000" << 1000;
        QTest::newRow("de letters") << de << "zehn" << noValue;
        // The edges of 16 bits, where rounding decides whether a value fits.
        const QString c = QStringLiteral("C");
        QTest::newRow("C one past the top") << c << "32768" << noValue;
        QTest::newRow("C one past the bottom") << c << "-32769" << noValue;
        QTest::newRow("C top plus a little") << c << "32767.4999" << 32767;
        QTest::newRow("C bottom minus a little more") << c << "-32768.5001" << noValue;
        QTest::newRow("C just below the top rounds up") << c << "32766.5" << 32766;
        QTest::newRow("C largest double") << c << "1.7976931348623157e308" << noValue;
        QTest::newRow("C smallest double") << c << "-1.7976931348623157e308" << noValue;
        QTest::newRow("C tiniest fraction") << c << "4.9e-324" << 0;
        QTest::newRow("C negative zero") << c << "-0" << 0;
        QTest::newRow("C minus a half") << c << "-0.5" << 0;
        QTest::newRow("C many leading zeros")
            << c << "000000000000000000000000000000000000000032767" << 32767;
    }
    void conversion()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(convertNumber(text, QLocale(locale)), expected(value));
    }

    void conversionUsesTheDefaultLocale()
    {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        const auto value = convertNumber(QStringLiteral("2,5"));
        QLocale::setDefault(saved);
        QCOMPARE(value, expected(2));
    }

    void sideSecondsRule_data()
    {
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("seconds");
        QTest::newRow("defaults 0 h 05") << 0 << 5 << 300;
        QTest::newRow("0 h 0 plays 5 min") << 0 << 0 << 300;
        QTest::newRow("1 h 0") << 1 << 0 << 3600;
        QTest::newRow("0 h 10") << 0 << 10 << 600;
        QTest::newRow("9 h 06 fits") << 9 << 6 << 32760;
        QTest::newRow("9 h 07 clamps, never wraps") << 9 << 7 << 32767;
        QTest::newRow("9 h 59 clamps") << 9 << 59 << 32767;
        QTest::newRow("minutes over 59 add up") << 0 << 75 << 4500;
        QTest::newRow("no value hours") << noValue << 7 << 420;
        QTest::newRow("no value at all plays 5 min") << noValue << noValue << 300;
        QTest::newRow("negative total plays 5 min") << 1 << -70 << 300;
        QTest::newRow("negative hours plays 5 min") << -1 << 0 << 300;
        QTest::newRow("zero total from signs plays 5 min") << 1 << -60 << 300;
        QTest::newRow("16-bit extremes clamp") << 32767 << 32767 << 32767;
        QTest::newRow("16-bit negative extremes") << -32768 << -32768 << 300;
        QTest::newRow("largest hours, smallest minutes clamp") << 32767 << -32768 << 32767;
        QTest::newRow("smallest hours, largest minutes play 5 min") << -32768 << 32767 << 300;
        QTest::newRow("one minute below zero plays 5 min") << 0 << -1 << 300;
        QTest::newRow("1 h less 59 min") << 1 << -59 << 60;
        QTest::newRow("minutes alone past 9 h clamp") << 0 << 600 << 32767;
    }
    void sideSecondsRule()
    {
        QFETCH(int, hours);
        QFETCH(int, minutes);
        QFETCH(int, seconds);
        QCOMPARE(sideSeconds(expected(hours), expected(minutes)), seconds);
    }
};

QTEST_GUILESS_MAIN(CoreSettingsTest)
#include "tst_core_settings.moc"
