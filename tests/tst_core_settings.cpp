// The number rule that every typed text goes through, and the settings-to-seconds rule.

#include <clockcore.h>
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

    void range_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("hours 0") << 0 << 9 << true;
        QTest::newRow("hours 9") << 9 << 9 << true;
        QTest::newRow("hours 10") << 10 << 9 << false;
        QTest::newRow("minutes 59") << 59 << 59 << true;
        QTest::newRow("minutes 60") << 60 << 59 << false;
        QTest::newRow("minutes -1") << -1 << 59 << false;
        QTest::newRow("no value") << noValue << 59 << false;
    }
    void range()
    {
        QFETCH(int, value);
        QFETCH(int, maximum);
        QFETCH(bool, accepted);
        QCOMPARE(withinRange(expected(value), static_cast<qint16>(maximum)), accepted);
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
    }
    void sideSecondsRule()
    {
        QFETCH(int, hours);
        QFETCH(int, minutes);
        QFETCH(int, seconds);
        QCOMPARE(sideSeconds(expected(hours), expected(minutes)), seconds);
    }

    void startGameFillsTheRecord()
    {
        ClockState state;
        state.leftMoves = 7;
        state.gameStarted = {True, True};
        state.bannerTicks = 99;
        startGame(state, 600, 600, bannerPeriodAtReset);
        QCOMPARE(state.leftSeconds, 600);
        QCOMPARE(state.rightSeconds, 600);
        QCOMPARE(state.leftMoves, 0);
        QCOMPARE(state.rightMoves, 0);
        QCOMPARE(state.warnSeconds, 180);
        QCOMPARE(state.gameStarted[0], False);
        QCOMPARE(state.gameStarted[1], False);
        QCOMPARE(state.bannerTicks, 0);
        QCOMPARE(state.bannerPeriod, 30);
    }
};

QTEST_GUILESS_MAIN(CoreSettingsTest)
#include "tst_core_settings.moc"
