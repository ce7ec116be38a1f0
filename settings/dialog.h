#pragma once

#include <timesettings.h>

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;

// The settings dialog: each side's hours and minutes as the texts of four fields, which are
// the program's only store of the time settings. One instance lives at a time; the main window
// creates it on first use (hidden, with the default texts) and the close box destroys it.
class Dialog : public QDialog
{
    Q_OBJECT

public:
    explicit Dialog(QWidget* parent = nullptr);

    // Texts as the user left them; the main window converts them itself.
    QString leftHoursText() const;
    QString leftMinutesText() const;
    QString rightHoursText() const;
    QString rightMinutesText() const;

    const clockcore::TimeSettings& timeSettings() const { return m_timeSettings; }

    // Handlers. Each *_Validate returns the cancel flag: true keeps the focus in the field.
    void Form_Load();
    bool Combo1_Validate();
    bool Text2_Validate();
    bool Combo2_Validate();
    bool Text4_Validate();
    void OKButton_Click();
    void CancelButton_Click();

signals:
    // OK or the close box: the dialog has hidden itself; the main window shows itself and
    // starts a new game from the fields.
    void settingsApplied();
    // Cancel: the dialog has hidden itself; the main window shows itself, nothing else.
    void cancelled();

protected:
    void closeEvent(QCloseEvent* event) override; // Form_Unload
    void showEvent(QShowEvent* event) override;
    void reject() override; // Esc
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createLabels();
    void createFields();
    void createButtons();
    void nameComboBoxes();
    void installRangeChecks();

    // The control among the six that the object is or belongs to (a combo box's inner line
    // edit belongs to its combo box); nullptr for anything else.
    QWidget* controlOf(const QObject* object) const;
    // The range check of the field that the focus is about to leave; the cancel flag.
    bool validateBeforeLeaving(QWidget* control);
    // A mouse press on a control that would take the focus; true swallows the press.
    bool pressWouldMoveFocus(QWidget* target);
    bool refuseOutOfRange(const QString& text, qint16& member, qint16 maximum, const char* message);
    void showRefusal(const QString& message);
    void dismissRefusal();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QComboBox* Combo2 = nullptr;
    QLineEdit* Text4 = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    QPointer<QMessageBox> m_refusal; // the range message while it is up
    clockcore::TimeSettings m_timeSettings;
    bool m_fontsGiven = false;
};
