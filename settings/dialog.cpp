#include "dialog.h"

#include <appinfo.h>
#include <designstyle.h>
#include <numberconversion.h>
#include <placement.h>
#include <spokentext.h>
#include <twips.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <tuple>

namespace {

constexpr char caption[] = "Set time parameters";
constexpr char hoursMessage[] = "Choose any number between 0 and 9";
constexpr char minutesMessage[] = "Enter any number between 0 and 59";

constexpr char labelFontFamily[] = "MS Sans Serif";
// The old bitmap face is rarely installed. Where it is not, font substitution would pick a broad
// sans face in which the captions no longer fit their labels; Arial's metrics are close to it.
constexpr char labelFontStandIn[] = "Arial";
constexpr qreal labelPointSize = 8.25;
constexpr char fieldFontFamily[] = "Arial";
constexpr int fieldPointSize = 12;

constexpr int hourItemCount = clockcore::maxHours + 1;

// A mouse press gives a control the focus only through the dialog's own handling, which runs
// the range check first (see installRangeChecks); Tab and Shift+Tab still reach every control.
constexpr Qt::FocusPolicy keyboardOnlyFocus = Qt::TabFocus;

// Sans-serif faces: where the face asked for is not installed, the desktop's stand-in for it is
// looked up once for these and the clock window's Arial alike.
QFont labelFont()
{
    const bool installed = QFontDatabase::hasFamily(QString::fromLatin1(labelFontFamily));
    return designstyle::font(installed ? labelFontFamily : labelFontStandIn, labelPointSize,
                             {.weight = designstyle::Weight::Bold, .hint = QFont::SansSerif});
}

QFont fieldFont()
{
    return designstyle::font(fieldFontFamily, fieldPointSize, {.hint = QFont::SansSerif});
}

// Tab and Shift+Tab move the focus under exactly these conditions (QWidget::event).
bool movesFocusAlongTabOrder(const QKeyEvent& key)
{
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        return false;
    }
    return key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab;
}

// Enter presses the default button under exactly these conditions (QDialog::keyPressEvent).
bool pressesDefaultButton(const QKeyEvent& key)
{
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) {
        return false;
    }
    return key.modifiers() == Qt::NoModifier ||
           ((key.modifiers() & Qt::KeypadModifier) && key.key() == Qt::Key_Enter);
}

} // namespace

Dialog::Dialog(QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QString::fromLatin1(caption));
    // The close box destroys the dialog; the main window creates a fresh one on next use.
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twips::size(4725, 1215));

    createLabels();
    createFields();
    createButtons();
    setTabOrder(Combo1, Text2);
    setTabOrder(Text2, Combo2);
    setTabOrder(Combo2, Text4);
    setTabOrder(Text4, OKButton);
    setTabOrder(OKButton, CancelButton);
    installRangeChecks();
    placement::centreWhenFirstShown(*this);
    // The fields are named after the player and unit they hold, which on screen only the
    // captions above them tell.
    describeForScreenReaders(*this,
                             {{"Label1", "Left player's time, hours and minutes", nullptr},
                              {"Label2", "Right player's time, hours and minutes", nullptr},
                              {"Combo1", "Left player's hours", "From 0 to 9"},
                              {"Text2", "Left player's minutes", "From 0 to 59"},
                              {"Combo2", "Right player's hours", "From 0 to 9"},
                              {"Text4", "Right player's minutes", "From 0 to 59"},
                              {"OKButton", nullptr, "Start a new game with these times"},
                              {"CancelButton", nullptr, "Close without changing the times"}});
    nameComboBoxes();

    Form_Load();
}

void Dialog::createLabels()
{
    // The caption is wider than the label, so it breaks onto a second line.
    const auto makeLabel = [this](const char* name, const char* text, QRect geometry) {
        return designstyle::label(*this, name, geometry, QString::fromLatin1(text),
                                  Qt::AlignLeft | Qt::AlignTop, designstyle::Wrap::AtWords);
    };
    Label1 = makeLabel("Label1", "Left Player h:mm", twips::rect(360, 120, 975, 495));
    Label2 = makeLabel("Label2", "Right Player   h:mm", twips::rect(2160, 120, 1215, 495));
}

void Dialog::createFields()
{
    QStringList hourItems;
    for (int hour = 0; hour < hourItemCount; ++hour) {
        hourItems.append(QString::number(hour));
    }
    const auto makeCombo = [this, &hourItems](const char* name, QRect geometry) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(QString::fromLatin1(name));
        combo->setGeometry(geometry);
        combo->addItems(hourItems);
        combo->setEditable(true);
        // The list is fixed: typing never adds to it, and nothing completes what is typed.
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);
        return combo;
    };
    const auto makeLineEdit = [this](const char* name, QRect geometry) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setGeometry(geometry);
        return edit;
    };
    Combo1 = makeCombo("Combo1", twips::rect(120, 600, 630, 390));
    Text2 = makeLineEdit("Text2", twips::rect(840, 600, 495, 420));
    Combo2 = makeCombo("Combo2", twips::rect(2040, 600, 615, 390));
    Text4 = makeLineEdit("Text4", twips::rect(2760, 600, 495, 420));
}

// A combo box is presented to screen readers by its text, whatever name it is given; a label
// it is the buddy of names it. These labels are never shown: the captions on screen stay.
void Dialog::nameComboBoxes()
{
    for (const auto& [combo, name, text] :
         {std::tuple{Combo1, "Combo1Name", "Left player's hours"},
          std::tuple{Combo2, "Combo2Name", "Right player's hours"}}) {
        auto* label = new QLabel(QString::fromLatin1(text), this);
        label->setObjectName(QString::fromLatin1(name));
        label->setBuddy(combo);
        label->hide();
    }
}

void Dialog::createButtons()
{
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(twips::rect(3720, 120, 855, 375));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &Dialog::OKButton_Click);

    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(twips::rect(3720, 600, 855, 375));
    connect(CancelButton, &QPushButton::clicked, this, &Dialog::CancelButton_Click);
}

// A field's range check must run before the focus leaves it, and a refusal must stop the move.
// Qt moves the focus on a mouse press before any event filter sees the press, so the controls
// take no click focus from Qt; the filter runs the check and then gives the focus itself. Tab,
// Shift+Tab and Enter are caught before the field handles them.
void Dialog::installRangeChecks()
{
    const std::array<QWidget*, 6> controls{Combo1, Text2, Combo2, Text4, OKButton, CancelButton};
    for (QWidget* control : controls) {
        control->setFocusPolicy(keyboardOnlyFocus);
        control->installEventFilter(this);
    }
    // Presses on a combo box's text land on its line edit.
    Combo1->lineEdit()->installEventFilter(this);
    Combo2->lineEdit()->installEventFilter(this);
}

// The fields lay out their texts as soon as they get a font, and loading the fields' font costs
// about as much as building the whole dialog. The dialog is built hidden at start-up, before
// the clock window shows, and nothing of it is seen before its first show: its fonts wait until
// then.
void Dialog::showEvent(QShowEvent* event)
{
    if (!m_fontsGiven) {
        m_fontsGiven = true;
        const QFont captions = labelFont();
        Label1->setFont(captions);
        Label2->setFont(captions);
        const QFont fields = fieldFont();
        for (QWidget* field : std::initializer_list<QWidget*>{Combo1, Text2, Combo2, Text4}) {
            field->setFont(fields);
        }
    }
    QDialog::showEvent(event);
}

void Dialog::Form_Load()
{
    Combo1->setEditText(QStringLiteral("0"));
    Text2->setText(QStringLiteral("05"));
    Combo2->setEditText(QStringLiteral("0"));
    Text4->setText(QStringLiteral("05"));
}

QString Dialog::leftHoursText() const
{
    return Combo1->currentText();
}

QString Dialog::leftMinutesText() const
{
    return Text2->text();
}

QString Dialog::rightHoursText() const
{
    return Combo2->currentText();
}

QString Dialog::rightMinutesText() const
{
    return Text4->text();
}

bool Dialog::Combo1_Validate()
{
    return refuseOutOfRange(Combo1->currentText(), m_timeSettings.leftHours, clockcore::maxHours,
                            hoursMessage);
}

bool Dialog::Text2_Validate()
{
    return refuseOutOfRange(Text2->text(), m_timeSettings.leftMinutes, clockcore::maxMinutes,
                            minutesMessage);
}

bool Dialog::Combo2_Validate()
{
    return refuseOutOfRange(Combo2->currentText(), m_timeSettings.rightHours, clockcore::maxHours,
                            hoursMessage);
}

bool Dialog::Text4_Validate()
{
    return refuseOutOfRange(Text4->text(), m_timeSettings.rightMinutes, clockcore::maxMinutes,
                            minutesMessage);
}

bool Dialog::refuseOutOfRange(const QString& text, qint16& member, qint16 maximum,
                              const char* message)
{
    const std::optional<qint16> value = clockcore::convertNumber(text);
    // A text with no value (not a number, or beyond 16 bits) is refused like one out of range.
    // Its member holds 0 meanwhile, as nothing was converted.
    member = value.value_or(0);
    if (clockcore::withinRange(value, maximum)) {
        return false;
    }
    showRefusal(QString::fromLatin1(message));
    return true;
}

// The message is modal to the whole program: until it is answered, the dialog takes no click, key
// or close request, so the refused value keeps its field. It waits for its answer without an event
// loop of its own (the clocks, held keys and screen reader's announcements go on as they do). One
// message at a time: a refusal while one is up only brings it back to the front.
void Dialog::showRefusal(const QString& message)
{
    if (m_refusal.isNull()) {
        m_refusal = new QMessageBox(QMessageBox::Critical, QString::fromUtf8(appinfo::title),
                                    message, QMessageBox::Ok, this);
        m_refusal->setObjectName(QStringLiteral("refusalMessage"));
        m_refusal->setAttribute(Qt::WA_DeleteOnClose);
        m_refusal->setWindowModality(Qt::ApplicationModal);
        // Not every desktop hands activation back when the message box goes; the user corrects
        // the field straight away, so the dialog asks for the keyboard again.
        connect(m_refusal, &QMessageBox::finished, this, [this] {
            if (isVisible()) {
                activateWindow();
            }
        });
    } else {
        m_refusal->setText(message);
    }
    placement::showInFront(*m_refusal);
}

// The field's message goes with the dialog when the program leaves it (the dialog's own buttons
// and close box are blocked while it is up).
void Dialog::dismissRefusal()
{
    if (!m_refusal.isNull()) {
        m_refusal->close();
    }
}

void Dialog::OKButton_Click()
{
    dismissRefusal();
    hide();
    emit settingsApplied();
}

void Dialog::CancelButton_Click()
{
    dismissRefusal();
    hide();
    emit cancelled();
}

void Dialog::closeEvent(QCloseEvent* event)
{
    // The main window reads the fields while it handles settingsApplied, so the dialog must
    // still exist then; WA_DeleteOnClose destroys it once the close is through. A dialog that
    // is closed while hidden never had its close box used (the program is ending): it applies
    // nothing.
    dismissRefusal();
    if (isVisible()) {
        hide();
        emit settingsApplied();
    }
    event->accept();
}

void Dialog::reject()
{
    // Esc leaves without checking the field that has the focus: Cancel applies nothing anyway.
    CancelButton_Click();
}

bool Dialog::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto& key = *static_cast<QKeyEvent*>(event);
        if (movesFocusAlongTabOrder(key) || pressesDefaultButton(key)) {
            return validateBeforeLeaving(controlOf(watched));
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return pressWouldMoveFocus(controlOf(watched));
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

QWidget* Dialog::controlOf(const QObject* object) const
{
    const std::array<QWidget*, 6> controls{Combo1, Text2, Combo2, Text4, OKButton, CancelButton};
    for (const QObject* candidate = object; candidate != nullptr && candidate != this;
         candidate = candidate->parent()) {
        const auto found = std::ranges::find(controls, candidate);
        if (found != controls.end()) {
            return *found;
        }
    }
    return nullptr;
}

bool Dialog::validateBeforeLeaving(QWidget* control)
{
    if (control == Combo1) {
        return Combo1_Validate();
    }
    if (control == Text2) {
        return Text2_Validate();
    }
    if (control == Combo2) {
        return Combo2_Validate();
    }
    if (control == Text4) {
        return Text4_Validate();
    }
    return false;
}

bool Dialog::pressWouldMoveFocus(QWidget* target)
{
    if (target == nullptr || !target->isEnabled()) {
        return false;
    }
    QWidget* current = controlOf(focusWidget());
    if (target == current) {
        return false;
    }
    if (validateBeforeLeaving(current)) {
        // The press is dropped, so a refused value never lets OK or Cancel be clicked.
        return true;
    }
    target->setFocus(Qt::MouseFocusReason);
    return false;
}
