// The program in unusual locales: a decimal comma, points and blanks as group separators,
// Arabic-Indic digits with their own decimal separator. Start-up, the settings dialog's checks
// and the game that follows must work in each, with times typed the way that locale writes them.

#include "testsupport.h"

using clockcore::Side;

namespace {

constexpr char hoursMessage[] = "Choose any number between 0 and 9";
constexpr char minutesMessage[] = "Enter any number between 0 and 59";
constexpr int refused = -1;

QLocale localeNamed(const QString& name)
{
    return name == QLatin1String("C") ? QLocale::c() : QLocale(name);
}

} // namespace

class HostileTest : public QObject, protected testsupport::ClockWindowFixture
{
    Q_OBJECT

private:
    QLocale m_initialLocale;

private slots:
    void initTestCase() { m_initialLocale = QLocale(); }
    void cleanup()
    {
        closeClockWindow();
        QLocale::setDefault(m_initialLocale);
    }

    // Start-up reads the dialog's default texts in the player's locale and plays 5 minutes;
    // the clock shows plain digits whatever the locale writes numbers with.
    void startsAndPlays_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char* name :
             {"C", "de_DE", "fr_FR", "ru_RU", "ar_EG", "fa_IR", "hi_IN", "zh_CN", "ja_JP"}) {
            QTest::newRow(name) << QString::fromLatin1(name);
        }
    }
    void startsAndPlays()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(localeNamed(locale));
        QVERIFY(openClockWindow());
        QCOMPARE(shown(Side::Left), QStringLiteral("0:5:00"));
        QCOMPARE(shown(Side::Right), QStringLiteral("0:5:00"));

        perform("click1");
        perform("tick L 1");
        QCOMPARE(shown(Side::Left), QStringLiteral("0:4:59"));
        perform("space");
        perform("tick R 2");
        QCOMPARE(shown(Side::Right), QStringLiteral("0:4:58"));
        QCOMPARE(label("MovesLeft")->text(), QStringLiteral("1"));
        QVERIFY(boxes->seen().empty());
    }

    // Times typed into the dialog in the locale's own way, through its checks (Tab from each
    // field), applied with OK; or the message that refuses them.
    void typedTimes_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<int>("seconds"); // or refused
        QTest::addColumn<QString>("message");
        const int eightThirty = 8 * 3600 + 30 * 60;
        const auto row = [](const char* name, const char* locale, const QString& hours,
                            const QString& minutes, int seconds, const char* message) {
            QTest::newRow(name) << QString(locale) << hours << minutes << seconds
                                << QString(message);
        };
        row("German decimal comma, half to even", "de_DE", "8,5", "30", eightThirty, "");
        row("German point groups digits: refused", "de_DE", "8.5", "30", refused, hoursMessage);
        row("Russian decimal comma rounds 9,5 past 9: refused", "ru_RU", "9,5", "0", refused,
            hoursMessage);
        row("Russian fractions in both fields", "ru_RU", "7,5", "59,4", 8 * 3600 + 59 * 60, "");
        row("Arabic digits and decimal separator", "ar_EG", QStringLiteral("\u0668\u066b\u0665"),
            QStringLiteral("\u0663\u0660"), eightThirty, "");
        row("Arabic digits, the longest time", "ar_EG", QStringLiteral("\u0669"),
            QStringLiteral("\u0665\u0669"), 32767, "");
        row("Arabic locale still reads Latin digits", "ar_EG", "8", "05", 8 * 3600 + 5 * 60, "");
        row("Arabic digits, minutes out of range: refused", "ar_EG", QStringLiteral("\u0661"),
            QStringLiteral("\u0666\u0660"), refused, minutesMessage);
        row("Persian digits", "fa_IR", QStringLiteral("\u06F2"), QStringLiteral("\u06F1\u06F5"),
            2 * 3600 + 15 * 60, "");
        row("French blanks around", "fr_FR", " 1 ", "0,4", 3600, "");
    }
    void typedTimes()
    {
        QFETCH(QString, locale);
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        QFETCH(int, seconds);
        QFETCH(QString, message);
        QLocale::setDefault(localeNamed(locale));
        QVERIFY(openClockWindow());

        form->CommSet_Click();
        Dialog* dialog = form->existingSettingsDialog();
        QVERIFY(dialog != nullptr);
        QVERIFY(testsupport::activate(dialog));
        auto* hoursCombo = dialog->findChild<QComboBox*>("Combo1");
        QWidget* hoursField = hoursCombo->lineEdit();
        QWidget* minutesField = dialog->findChild<QLineEdit*>("Text2");

        QVERIFY(testsupport::typeInto(hoursField, hours));
        QTest::keyClick(hoursField, Qt::Key_Tab);
        if (boxes->seen().empty()) {
            QTRY_VERIFY(minutesField->hasFocus());
            QVERIFY(testsupport::typeInto(minutesField, minutes));
            QTest::keyClick(minutesField, Qt::Key_Tab);
        }

        if (seconds == refused) {
            QCOMPARE(boxes->seen().size(), std::size_t{1});
            QCOMPARE(boxes->seen().front().text, message);
            // The refused field keeps the focus; Esc leaves without applying anything.
            QCOMPARE(dialog->focusWidget(), message == hoursMessage ? hoursCombo : minutesField);
            QVERIFY(testsupport::activate(dialog));
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
            QTRY_VERIFY(form->isVisible());
            QCOMPARE(int(form->clockState().leftSeconds), 300);
            return;
        }
        QVERIFY(boxes->seen().empty());
        QTest::mouseClick(dialog->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
        QTRY_VERIFY(form->isVisible());
        QCOMPARE(int(form->clockState().leftSeconds), seconds);
        QCOMPARE(int(form->clockState().rightSeconds), 300);

        // And the game runs from there.
        QVERIFY(testsupport::activate(form.get()));
        QTest::mouseClick(find<QPushButton>("Command1"), Qt::LeftButton);
        form->Timer1_Timer();
        QCOMPARE(int(form->clockState().leftSeconds), seconds - 1);
    }
};

QTEST_MAIN(HostileTest)
#include "tst_hostile.moc"
