#include "testsupport.h"

#include <blockedwindows.h>
#include <dialog.h>
#include <heldkeys.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

namespace {

const QString title = QStringLiteral("Ostrevane");
const QString hoursMessage = QStringLiteral("Choose any number between 0 and 9");
const QString minutesMessage = QStringLiteral("Enter any number between 0 and 59");

// How the focus is asked to leave a field.
enum class Route
{
    Tab,
    Backtab,
    ClickField, // on another field; on a combo box, on its text, where a real click lands
    ClickOK,
    ClickCancel,
};

enum class Outcome
{
    Applied,
    Cancelled,
    Refused,
};

QString textOf(const QWidget* field)
{
    if (const auto* combo = qobject_cast<const QComboBox*>(field)) {
        return combo->currentText();
    }
    return qobject_cast<const QLineEdit*>(field)->text();
}

qint16 memberOf(const clockcore::TimeSettings& settings, const QString& field)
{
    if (field == QLatin1String("Combo1")) {
        return settings.leftHours;
    }
    if (field == QLatin1String("Text2")) {
        return settings.leftMinutes;
    }
    if (field == QLatin1String("Combo2")) {
        return settings.rightHours;
    }
    return settings.rightMinutes;
}

// Where a real mouse press on the control lands.
QWidget* pressTarget(QWidget* control)
{
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        return combo->lineEdit();
    }
    return control;
}

} // namespace

Q_DECLARE_METATYPE(Route)
Q_DECLARE_METATYPE(Outcome)

class tst_SettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void createdHiddenWithDefaultTexts();
    void centredWhenFirstShownOnly();
    void tabOrderSkipsLabels();
    void refusedValueStopsTheMove_data();
    void refusedValueStopsTheMove();
    void acceptedValueMovesOn_data();
    void acceptedValueMovesOn();
    void buttonsWithGoodValues_data();
    void buttonsWithGoodValues();
    void comboItemWithMostMinutesIsApplied();
    void enterKey_data();
    void enterKey();
    void heldKeyInAField_data();
    void heldKeyInAField();
    void escapeCancelsWithoutCheck_data();
    void escapeCancelsWithoutCheck();
    void deactivationRunsNoCheck();
    void closeBoxAppliesThenDestroys();
    void closingHiddenDialogAppliesNothing();
    void decimalCommaLocale_data();
    void decimalCommaLocale();

private:
    bool showActive() { return testsupport::showActive(m_dialog); }
    void leave(QWidget* field, Route route, QWidget* clicked);
    QWidget* control(const QString& name) const { return m_dialog->findChild<QWidget*>(name); }

    QLocale m_initialLocale;
    QPointer<Dialog> m_dialog;
};

void tst_SettingsDialog::initTestCase()
{
    // Several tests close the dialog; the test must not end when its last window goes.
    QApplication::setQuitOnLastWindowClosed(false);
    heldkeys::actOncePerPress(*qApp);
    blockedwindows::bringMessageForward(*qApp);
    m_initialLocale = QLocale();
}

void tst_SettingsDialog::init()
{
    m_dialog = new Dialog;
}

void tst_SettingsDialog::cleanup()
{
    delete m_dialog;
    QLocale::setDefault(m_initialLocale);
}

void tst_SettingsDialog::leave(QWidget* field, Route route, QWidget* clicked)
{
    switch (route) {
    case Route::Tab:
        QTest::keyClick(field, Qt::Key_Tab);
        break;
    case Route::Backtab:
        QTest::keyClick(field, Qt::Key_Backtab, Qt::ShiftModifier);
        break;
    case Route::ClickField:
        QTest::mouseClick(pressTarget(clicked), Qt::LeftButton);
        break;
    case Route::ClickOK:
        QTest::mouseClick(control(QStringLiteral("OKButton")), Qt::LeftButton);
        break;
    case Route::ClickCancel:
        QTest::mouseClick(control(QStringLiteral("CancelButton")), Qt::LeftButton);
        break;
    }
}

void tst_SettingsDialog::createdHiddenWithDefaultTexts()
{
    // The main window reads the texts of a dialog that has never been shown.
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->leftHoursText(), QStringLiteral("0"));
    QCOMPARE(m_dialog->leftMinutesText(), QStringLiteral("05"));
    QCOMPARE(m_dialog->rightHoursText(), QStringLiteral("0"));
    QCOMPARE(m_dialog->rightMinutesText(), QStringLiteral("05"));

    const QStringList hours{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    for (const char* name : {"Combo1", "Combo2"}) {
        auto* combo = m_dialog->findChild<QComboBox*>(QLatin1String(name));
        QVERIFY2(combo != nullptr, name);
        QVERIFY(combo->isEditable());
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) {
            items.append(combo->itemText(i));
        }
        QCOMPARE(items, hours);
    }
}

void tst_SettingsDialog::centredWhenFirstShownOnly()
{
    // Centred on the screen, not over a window that opens it from a corner.
    QWidget opener;
    opener.setGeometry(0, 0, 200, 100);
    opener.show();
    delete m_dialog;
    m_dialog = new Dialog(&opener);

    QVERIFY(showActive());
    // Its fonts, which it is given only when first shown.
    for (const char* field : {"Combo1", "Text2", "Combo2", "Text4"}) {
        QCOMPARE(QFontInfo(control(QLatin1String(field))->font()).pointSizeF(), 12.0);
        QCOMPARE(control(QLatin1String(field))->font().family(), QStringLiteral("Arial"));
    }
    QVERIFY(control(QStringLiteral("Label1"))->font().bold());
    const QPoint screenCentre = m_dialog->screen()->availableGeometry().center();
    const QPoint offset = m_dialog->geometry().center() - screenCentre;
    QVERIFY2(offset.manhattanLength() <= 2,
             qPrintable(QStringLiteral("off centre by %1,%2").arg(offset.x()).arg(offset.y())));

    // The user drags it elsewhere (the window system moves it, not the program); OK hides it;
    // the next opening keeps that place.
    const QPoint elsewhere(40, 30);
    m_dialog->windowHandle()->setPosition(elsewhere);
    QTRY_COMPARE(m_dialog->geometry().topLeft(), elsewhere);
    QTest::mouseClick(control(QStringLiteral("OKButton")), Qt::LeftButton);
    QTRY_VERIFY(m_dialog->isHidden());
    QVERIFY(showActive());
    QCOMPARE(m_dialog->geometry().topLeft(), elsewhere);
}

void tst_SettingsDialog::tabOrderSkipsLabels()
{
    QVERIFY(showActive());
    QTRY_COMPARE(QApplication::focusWidget(), control(QStringLiteral("Combo1")));
    // A click on a label takes no focus from the field.
    QTest::mouseClick(control(QStringLiteral("Label2")), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), control(QStringLiteral("Combo1")));

    const QStringList order{"Text2", "Combo2", "Text4", "OKButton", "CancelButton", "Combo1"};
    for (const QString& next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), control(next));
    }
}

void tst_SettingsDialog::refusedValueStopsTheMove_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Route>("route");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QString>("message");
    QTest::addColumn<qint16>("member");

    // Every route out of every field, each with a refused value.
    struct Refusal
    {
        const char* field;
        const char* text;
        const char* otherField;
        QString message;
        qint16 member;
    };
    const Refusal refusals[] = {
        {"Combo1", "10", "Text4", hoursMessage, 10},
        {"Text2", "60", "Combo2", minutesMessage, 60},
        {"Combo2", "-1", "Combo1", hoursMessage, -1},
        {"Text4", "-1", "Text2", minutesMessage, -1},
    };
    const std::pair<Route, const char*> routes[] = {
        {Route::Tab, "Tab"},
        {Route::Backtab, "Shift+Tab"},
        {Route::ClickField, "click on another field"},
        {Route::ClickOK, "click on OK"},
        {Route::ClickCancel, "click on Cancel"},
    };
    for (const Refusal& refusal : refusals) {
        for (const auto& [route, routeName] : routes) {
            QTest::addRow("%s %s, %s", refusal.field, refusal.text, routeName)
                << QString::fromLatin1(refusal.field) << QString::fromLatin1(refusal.text) << route
                << QString::fromLatin1(refusal.otherField) << refusal.message << refusal.member;
        }
    }

    // Texts that are refused for what they are rather than which way the focus goes.
    QTest::newRow("hours 9.5 rounds to 10")
        << "Combo1"
        << "9.5" << Route::Tab << "" << hoursMessage << qint16(10);
    QTest::newRow("minutes -0.6 rounds to -1")
        << "Text2"
        << "-0.6" << Route::Tab << "" << minutesMessage << qint16(-1);
    QTest::newRow("not a number") << "Text4"
                                  << "abc" << Route::ClickOK << "" << minutesMessage << qint16(0);
    QTest::newRow("empty hours") << "Combo2"
                                 << "" << Route::ClickCancel << "" << hoursMessage << qint16(0);
    QTest::newRow("beyond 16 bits") << "Text2"
                                    << "99999" << Route::Tab << "" << minutesMessage << qint16(0);
    QTest::newRow("largest 16-bit number")
        << "Text4"
        << "32767" << Route::Tab << "" << minutesMessage << qint16(32767);
}

void tst_SettingsDialog::refusedValueStopsTheMove()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(Route, route);
    QFETCH(QString, clicked);
    QFETCH(QString, message);
    QFETCH(qint16, member);

    QVERIFY(showActive());
    QWidget* const fieldWidget = control(field);
    QWidget* const clickedWidget = clicked.isEmpty() ? nullptr : control(clicked);
    const QString clickedText = clickedWidget ? textOf(clickedWidget) : QString();
    QVERIFY(testsupport::typeInto(fieldWidget, text));

    testsupport::MessageBoxCloser closer;
    QSignalSpy applied(m_dialog.get(), &Dialog::settingsApplied);
    QSignalSpy cancelled(m_dialog.get(), &Dialog::cancelled);
    // Behind the message the dialog takes no click and no close request. Activated (as a click
    // does), or asked to close, it hands the keyboard to the message.
    bool blocked = false;
    closer.whileOpen([&](QMessageBox* box) {
        m_dialog->activateWindow();
        testsupport::clickThroughWindow(control(QStringLiteral("OKButton")));
        m_dialog->windowHandle()->close();
        blocked = m_dialog->isVisible() && applied.isEmpty() && closer.seen().size() == 1 &&
                  QTest::qWaitFor([box] { return QApplication::activeWindow() == box; });
    });
    leave(fieldWidget, route, clickedWidget);
    QVERIFY(closer.waitForAnswers());

    QCOMPARE(closer.seen().size(), std::size_t{1});
    const testsupport::SeenMessage& seen = closer.seen().front();
    QCOMPARE(seen.title, title);
    QCOMPARE(seen.text, message);
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.buttonCount, 1);
    QCOMPARE(seen.modality, Qt::ApplicationModal);
    QVERIFY(blocked);

    QCOMPARE(memberOf(m_dialog->timeSettings(), field), member);
    QCOMPARE(textOf(fieldWidget), text);
    QCOMPARE(m_dialog->focusWidget(), fieldWidget);
    QTRY_COMPARE(QApplication::focusWidget(), fieldWidget);
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(applied.count(), 0);
    QCOMPARE(cancelled.count(), 0);
    if (clickedWidget != nullptr) {
        QCOMPARE(textOf(clickedWidget), clickedText);
    }

    // Once corrected, the same move goes through without another message.
    QVERIFY(testsupport::typeInto(fieldWidget, QStringLiteral("5")));
    leave(fieldWidget, route, clickedWidget);
    QTRY_VERIFY(QApplication::focusWidget() != fieldWidget || m_dialog->isHidden());
    QCOMPARE(closer.seen().size(), std::size_t{1});
    QCOMPARE(memberOf(m_dialog->timeSettings(), field), qint16(5));
    QCOMPARE(applied.count(), route == Route::ClickOK ? 1 : 0);
    QCOMPARE(cancelled.count(), route == Route::ClickCancel ? 1 : 0);
}

void tst_SettingsDialog::acceptedValueMovesOn_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Route>("route");
    QTest::addColumn<QString>("next");
    QTest::addColumn<qint16>("member");

    QTest::newRow("59 minutes") << "Text2"
                                << "59" << Route::Tab << "Combo2" << qint16(59);
    QTest::newRow("0 minutes") << "Text4"
                               << "0" << Route::Backtab << "Combo2" << qint16(0);
    QTest::newRow("blanks around 7") << "Text4"
                                     << " 7 " << Route::Tab << "OKButton" << qint16(7);
    QTest::newRow("8.5 hours rounds to 8") << "Combo1"
                                           << "8.5" << Route::Tab << "Text2" << qint16(8);
    QTest::newRow("9 hours") << "Combo2"
                             << "9" << Route::Backtab << "Text2" << qint16(9);
    QTest::newRow("signed hours") << "Combo2"
                                  << "+3" << Route::ClickField << "Text4" << qint16(3);
    QTest::newRow("click on a combo's text") << "Text2"
                                             << "05" << Route::ClickField << "Combo2" << qint16(5);
    QTest::newRow("minutes -0.4 rounds to 0")
        << "Text2"
        << "-0.4" << Route::ClickField << "Combo1" << qint16(0);
}

void tst_SettingsDialog::acceptedValueMovesOn()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(Route, route);
    QFETCH(QString, next);
    QFETCH(qint16, member);

    QVERIFY(showActive());
    QWidget* const fieldWidget = control(field);
    QVERIFY(testsupport::typeInto(fieldWidget, text));

    testsupport::MessageBoxCloser closer;
    leave(fieldWidget, route, control(next));

    QTRY_COMPARE(QApplication::focusWidget(), control(next));
    QVERIFY(closer.seen().empty());
    QCOMPARE(memberOf(m_dialog->timeSettings(), field), member);
    // The check converts, it never rewrites what was typed.
    QCOMPARE(textOf(fieldWidget), text);
}

void tst_SettingsDialog::buttonsWithGoodValues_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Outcome>("outcome");

    QTest::newRow("OK") << "OKButton" << Outcome::Applied;
    QTest::newRow("Cancel") << "CancelButton" << Outcome::Cancelled;
}

void tst_SettingsDialog::buttonsWithGoodValues()
{
    QFETCH(QString, button);
    QFETCH(Outcome, outcome);

    QVERIFY(showActive());
    QVERIFY(testsupport::typeInto(control(QStringLiteral("Combo2")), QStringLiteral("2")));
    QVERIFY(testsupport::typeInto(control(QStringLiteral("Text4")), QStringLiteral("0")));

    testsupport::MessageBoxCloser closer;
    QSignalSpy applied(m_dialog.get(), &Dialog::settingsApplied);
    QSignalSpy cancelled(m_dialog.get(), &Dialog::cancelled);
    QTest::mouseClick(control(button), Qt::LeftButton);

    QCOMPARE(applied.count(), outcome == Outcome::Applied ? 1 : 0);
    QCOMPARE(cancelled.count(), outcome == Outcome::Cancelled ? 1 : 0);
    QVERIFY(m_dialog->isHidden());
    QVERIFY(closer.seen().empty());
    // Either way the texts stay as typed, for the next opening and the next reading.
    QCOMPARE(m_dialog->leftHoursText(), QStringLiteral("0"));
    QCOMPARE(m_dialog->leftMinutesText(), QStringLiteral("05"));
    QCOMPARE(m_dialog->rightHoursText(), QStringLiteral("2"));
    QCOMPARE(m_dialog->rightMinutesText(), QStringLiteral("0"));
}

void tst_SettingsDialog::comboItemWithMostMinutesIsApplied()
{
    QVERIFY(showActive());
    auto* combo = m_dialog->findChild<QComboBox*>(QStringLiteral("Combo1"));
    QTRY_COMPARE(QApplication::focusWidget(), combo);

    combo->showPopup();
    QAbstractItemView* list = combo->view();
    QTRY_VERIFY(list->isVisible());
    const QRect nine = list->visualRect(combo->model()->index(9, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, nine.center());
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(combo->currentText(), QStringLiteral("9"));

    testsupport::MessageBoxCloser closer;
    QSignalSpy applied(m_dialog.get(), &Dialog::settingsApplied);
    QTest::keyClick(combo, Qt::Key_Tab);
    auto* minutes = control(QStringLiteral("Text2"));
    QTRY_COMPARE(QApplication::focusWidget(), minutes);
    QVERIFY(testsupport::typeInto(minutes, QStringLiteral("59")));
    QTest::mouseClick(control(QStringLiteral("OKButton")), Qt::LeftButton);

    QCOMPARE(applied.count(), 1);
    QVERIFY(closer.seen().empty());
    QCOMPARE(m_dialog->timeSettings().leftHours, qint16(9));
    QCOMPARE(m_dialog->timeSettings().leftMinutes, qint16(59));
    QCOMPARE(m_dialog->leftHoursText(), QStringLiteral("9"));
    QCOMPARE(m_dialog->leftMinutesText(), QStringLiteral("59"));
    QCOMPARE(combo->count(), 10);
}

void tst_SettingsDialog::enterKey_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("text"); // typed into the focused control when it is a field
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("held"); // down a while, repeated as the platform marks repeats

    const Qt::KeyboardModifiers none = Qt::NoModifier;
    QTest::newRow("good minutes") << "Text2"
                                  << "59" << int(Qt::Key_Return) << none << Outcome::Applied << ""
                                  << false;
    QTest::newRow("good hours typed in a combo")
        << "Combo2"
        << "7" << int(Qt::Key_Return) << none << Outcome::Applied << "" << false;
    QTest::newRow("keypad Enter") << "Text4"
                                  << "1" << int(Qt::Key_Enter)
                                  << Qt::KeyboardModifiers(Qt::KeypadModifier) << Outcome::Applied
                                  << "" << false;
    QTest::newRow("refused hours")
        << "Combo1"
        << "10" << int(Qt::Key_Return) << none << Outcome::Refused << hoursMessage << false;
    QTest::newRow("refused minutes, keypad Enter")
        << "Text4"
        << "abc" << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier)
        << Outcome::Refused << minutesMessage << false;
    QTest::newRow("focus on OK") << "OKButton"
                                 << "" << int(Qt::Key_Return) << none << Outcome::Applied << ""
                                 << false;
    QTest::newRow("focus on Cancel")
        << "CancelButton"
        << "" << int(Qt::Key_Return) << none << Outcome::Cancelled << "" << false;
    QTest::newRow("refused minutes, Enter held: one message")
        << "Text2"
        << "60" << int(Qt::Key_Return) << none << Outcome::Refused << minutesMessage << true;
}

void tst_SettingsDialog::enterKey()
{
    QFETCH(QString, focus);
    QFETCH(QString, text);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(Outcome, outcome);
    QFETCH(QString, message);
    QFETCH(bool, held);

    QVERIFY(showActive());
    QWidget* const focused = control(focus);
    if (qobject_cast<QPushButton*>(focused) != nullptr) {
        focused->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(focused->hasFocus());
    } else {
        QVERIFY(testsupport::typeInto(focused, text));
    }

    testsupport::MessageBoxCloser closer;
    QSignalSpy applied(m_dialog.get(), &Dialog::settingsApplied);
    QSignalSpy cancelled(m_dialog.get(), &Dialog::cancelled);
    if (held) {
        QWindow* window = m_dialog->windowHandle();
        QTest::simulateEvent(window, true, key, modifiers, QStringLiteral("\r"), false);
        for (int repeat = 0; repeat < 3; ++repeat) {
            QVERIFY(closer.waitForAnswers());
            QTest::simulateEvent(window, true, key, modifiers, QStringLiteral("\r"), true);
        }
        QTest::simulateEvent(window, false, key, modifiers, QStringLiteral("\r"), false);
    } else {
        QTest::keyClick(focused, Qt::Key(key), modifiers);
    }

    QCOMPARE(applied.count(), outcome == Outcome::Applied ? 1 : 0);
    QCOMPARE(cancelled.count(), outcome == Outcome::Cancelled ? 1 : 0);
    QCOMPARE(m_dialog->isVisible(), outcome == Outcome::Refused);
    if (outcome == Outcome::Refused) {
        QCOMPARE(closer.seen().size(), std::size_t{1});
        QCOMPARE(closer.seen().front().text, message);
        QTRY_COMPARE(QApplication::focusWidget(), focused);
    } else {
        QVERIFY(closer.seen().empty());
    }
    if (!text.isEmpty()) {
        QCOMPARE(textOf(focused), text);
    }
    // Enter in a combo box never adds what was typed to its list.
    QCOMPARE(m_dialog->findChild<QComboBox*>(QStringLiteral("Combo1"))->count(), 10);
    QCOMPARE(m_dialog->findChild<QComboBox*>(QStringLiteral("Combo2"))->count(), 10);
}

void tst_SettingsDialog::heldKeyInAField_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("left"); // after a press and three repeats, marked as such

    QTest::newRow("Backspace repeats")
        << int(Qt::Key_Backspace) << Qt::KeyboardModifiers() << QString() << "10 2";
    QTest::newRow("a letter repeats") << int(Qt::Key_X) << Qt::KeyboardModifiers() << "x"
                                      << "10 20 30xxxx";
    QTest::newRow("Ctrl+Backspace deletes one word")
        << int(Qt::Key_Backspace) << Qt::KeyboardModifiers(Qt::ControlModifier) << QString()
        << "10 20 ";
}

void tst_SettingsDialog::heldKeyInAField()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, text);
    QFETCH(QString, left);

    QVERIFY(showActive());
    QWidget* const field = control(QStringLiteral("Text2"));
    QVERIFY(testsupport::typeInto(field, QStringLiteral("10 20 30")));
    for (const bool repeat : {false, true, true, true}) {
        QTest::simulateEvent(m_dialog->windowHandle(), true, key, modifiers, text, repeat);
    }
    QTest::simulateEvent(m_dialog->windowHandle(), false, key, modifiers, text, false);
    QCOMPARE(textOf(field), left);
}

void tst_SettingsDialog::escapeCancelsWithoutCheck_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");

    QTest::newRow("combo box") << "Combo1"
                               << "10";
    QTest::newRow("text box") << "Text4"
                              << "abc";
}

void tst_SettingsDialog::escapeCancelsWithoutCheck()
{
    QFETCH(QString, field);
    QFETCH(QString, text);

    QVERIFY(showActive());
    QWidget* const fieldWidget = control(field);
    QVERIFY(testsupport::typeInto(fieldWidget, text));

    testsupport::MessageBoxCloser closer;
    QSignalSpy applied(m_dialog.get(), &Dialog::settingsApplied);
    QSignalSpy cancelled(m_dialog.get(), &Dialog::cancelled);
    QTest::keyClick(fieldWidget, Qt::Key_Escape);

    QCOMPARE(cancelled.count(), 1);
    QCOMPARE(applied.count(), 0);
    QVERIFY(m_dialog->isHidden());
    QVERIFY(closer.seen().empty());
    QCOMPARE(textOf(fieldWidget), text);
}

void tst_SettingsDialog::deactivationRunsNoCheck()
{
    QVERIFY(showActive());
    QWidget* const minutes = control(QStringLiteral("Text2"));
    QVERIFY(testsupport::typeInto(minutes, QStringLiteral("60")));

    testsupport::MessageBoxCloser closer;
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(showActive());
    QTRY_COMPARE(QApplication::focusWidget(), minutes);
    QVERIFY(closer.seen().empty());

    // The check is still there for the next move within the dialog.
    QTest::keyClick(minutes, Qt::Key_Tab);
    QCOMPARE(closer.seen().size(), std::size_t{1});
}

void tst_SettingsDialog::closeBoxAppliesThenDestroys()
{
    QVERIFY(showActive());
    // No range check on this path: a refused text reaches the main window as it stands.
    QVERIFY(testsupport::typeInto(control(QStringLiteral("Text2")), QStringLiteral("60")));

    bool existedDuringSignal = false;
    bool hiddenDuringSignal = false;
    QString minutesRead;
    connect(m_dialog, &Dialog::settingsApplied, this, [&] {
        existedDuringSignal = !m_dialog.isNull();
        hiddenDuringSignal = m_dialog->isHidden();
        minutesRead = m_dialog->leftMinutesText();
    });
    testsupport::MessageBoxCloser closer;
    QSignalSpy cancelled(m_dialog.get(), &Dialog::cancelled);

    QVERIFY(m_dialog->close());

    QVERIFY(existedDuringSignal);
    QVERIFY(hiddenDuringSignal);
    QCOMPARE(minutesRead, QStringLiteral("60"));
    QCOMPARE(cancelled.count(), 0);
    QVERIFY(closer.seen().empty());
    testsupport::flushDeferredDeletes();
    QVERIFY(m_dialog.isNull());
}

void tst_SettingsDialog::closingHiddenDialogAppliesNothing()
{
    QSignalSpy applied(m_dialog.get(), &Dialog::settingsApplied);
    QVERIFY(m_dialog->close());
    QCOMPARE(applied.count(), 0);
    testsupport::flushDeferredDeletes();
    QVERIFY(m_dialog.isNull());
}

void tst_SettingsDialog::decimalCommaLocale_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<qint16>("member");

    QTest::newRow("8,5 rounds to 8") << "8,5" << false << qint16(8);
    QTest::newRow("9,5 rounds to 10") << "9,5" << true << qint16(10);
}

void tst_SettingsDialog::decimalCommaLocale()
{
    QFETCH(QString, text);
    QFETCH(bool, refused);
    QFETCH(qint16, member);

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QVERIFY(showActive());
    QWidget* const hours = control(QStringLiteral("Combo1"));
    QVERIFY(testsupport::typeInto(hours, text));

    testsupport::MessageBoxCloser closer;
    QTest::keyClick(hours, Qt::Key_Tab);

    QCOMPARE(closer.seen().size(), refused ? std::size_t{1} : std::size_t{0});
    QCOMPARE(m_dialog->timeSettings().leftHours, member);
    QTRY_COMPARE(QApplication::focusWidget(), refused ? hours : control(QStringLiteral("Text2")));
}

QTEST_MAIN(tst_SettingsDialog)
#include "tst_settingsdialog.moc"
