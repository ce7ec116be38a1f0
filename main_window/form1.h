#pragma once

#include "alertsound.h"
#include "clockface.h"
#include "clockmenus.h"

#include <clockcore.h>
#include <keepawake.h>

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QMessageBox;
class Dialog;
class Help;
class frmAbout;
namespace clockcore {
class ClockTimer;
}

// The clock window: two count-down clocks, the push buttons, pause, reset and the menus. Each
// handler runs its steps here and asks the clock core for every rule; the face shows the result.
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override; // Form_Terminate

    // Start-up: public, because the settings dialog applies new settings through it.
    void Form_Load();

    void CommSet_Click();
    void CommReset_Click();
    void CommPause_Click();
    void Command1_Click();
    void Command2_Click();
    void Timer1_Timer();
    void Timer2_Timer();

    void mnuFileSet_Click();
    void mnuFileReset_Click();
    void mnuFileExit_Click();
    void mnuGameLeft_Click();
    void mnuGameRight_Click();
    void mnuGamePause_Click();
    void mnuHelpGeneral_Click();
    void mnuHelpAbout_Click();

    clockcore::ClockState& clockState() { return m_state; }
    const clockcore::ClockState& clockState() const { return m_state; }

    void setAlertSound(std::unique_ptr<AlertSound> sound);
    void setKeepAwake(std::unique_ptr<KeepAwake> keepAwake);

    // The secondary windows, as long as they exist (null otherwise).
    Dialog* existingSettingsDialog() const;
    Help* existingHelpWindow() const;
    frmAbout* existingAboutWindow() const;

protected:
    void closeEvent(QCloseEvent* event) override; // Form_Unload

private:
    void createTimers();
    void connectHandlers();
    void keepAwakeWhileAClockRuns();

    clockcore::ClockTimer* timerOf(clockcore::Side side) const;
    // The Game menu entry that makes this player's push.
    QAction* pushEntryOf(clockcore::Side pusher) const;

    void onTick(clockcore::Side running);
    void showTimeOut(clockcore::Side side);
    void pushBy(clockcore::Side pusher);
    void startGameFromSettings(qint16 bannerPeriod);
    void stopBothClocks();
    Dialog& settingsDialog();
    void openSettings();
    void onSettingsApplied();
    void endProgram();

    clockcore::ClockState m_state;
    std::unique_ptr<AlertSound> m_alertSound;
    std::unique_ptr<KeepAwake> m_keepAwake;
    ClockFace m_face;
    ClockMenus m_menus;

    clockcore::ClockTimer* Timer1 = nullptr;
    clockcore::ClockTimer* Timer2 = nullptr;

    QPointer<QMessageBox> m_gameOver; // "The Game Is Over" while it is up
    QPointer<Dialog> m_dialog;
    QPointer<Help> m_help;
    QPointer<frmAbout> m_about;
};
