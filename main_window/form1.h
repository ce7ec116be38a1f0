#pragma once

#include "alertsound.h"

#include <clockcore.h>

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <initializer_list>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QPushButton;
class QTimer;
class Dialog;
class Help;
class frmAbout;

// The clock face: two count-down clocks, the push buttons, pause, reset and the menus.
// The window lays out its controls and shows what the clock core decides; the core keeps the
// counting rules.
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

    // The secondary windows, as long as they exist (null otherwise).
    Dialog* existingSettingsDialog() const;
    Help* existingHelpWindow() const;
    frmAbout* existingAboutWindow() const;

protected:
    void closeEvent(QCloseEvent* event) override; // Form_Unload

private:
    // Everything that differs between the two sides, so that each handler is written once
    // for both and the two sides stay exact mirror images.
    struct SideControls
    {
        QLabel* hours = nullptr;
        QLabel* minutes = nullptr;
        QLabel* seconds = nullptr;
        QLabel* secondColon = nullptr;
        QLabel* gameOverMark = nullptr;
        QLabel* moves = nullptr;
        QTimer* timer = nullptr;           // this side's clock
        QPushButton* pushButton = nullptr; // this player's push button
        QAction* pushMenuEntry = nullptr;  // the Game menu entry that makes this player's push
        QColor clockColour;
    };

    void createClientArea();
    void createBannerStrip();
    void createButtons();
    void createMoveCounters();
    void createClockDigits();
    void createColons();
    // One row of the design's labels that share caption, font, alignment and background.
    struct LabelDesign
    {
        QLabel*& label;
        const char* name;
        QRect geometry;
        QColor text;
    };
    void addLabels(std::initializer_list<LabelDesign> labels, const QString& caption,
                   const QFont& font, Qt::Alignment alignment, std::optional<QColor> background);
    void createGameOverMarks();
    void createMenus();
    void createTimers();
    void setTabOrders();
    void connectHandlers();
    void centreOnScreen();

    SideControls& controls(clockcore::Side side);
    void onTick(clockcore::Side running);
    void pushBy(clockcore::Side pusher);
    void showTime(clockcore::Side side, const clockcore::TimeParts& time);
    void showTimeOut(clockcore::Side side);
    void showGameOverMessage();
    void setClockColours(clockcore::Side side, bool warning);
    void setGameOverMark(clockcore::Side side, bool over);
    // Screen readers: what each control is for, and the clocks and counters in words (the glyphs
    // and bare digits on screen say little when read out).
    void describeControlsForScreenReaders();
    void updateAccessibleTexts(clockcore::Side side);
    void startGameFromSettings(qint16 bannerPeriod);
    void showFirstBanner();
    void advanceBannerStrip();
    void stopBothClocks();
    void endProgram();
    Dialog& settingsDialog();
    void openSettings();
    void onSettingsApplied();

    clockcore::ClockState m_state;
    std::unique_ptr<AlertSound> m_alertSound;
    // True while "The Game Is Over" waits for the user; see onTick.
    bool m_gameOverShowing = false;

    QLabel* Picture1 = nullptr;
    QLabel* Picture2 = nullptr;
    QLabel* Picture3 = nullptr;
    QPushButton* CommSet = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* CommPause = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* CommReset = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* MovesLeft = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* MovesRight = nullptr;
    QLabel* lblHoursLeft = nullptr;
    QLabel* lblMinLeft = nullptr;
    QLabel* lblSecLeft = nullptr;
    QLabel* lblHoursRight = nullptr;
    QLabel* lblMinRight = nullptr;
    QLabel* lblSecRight = nullptr;
    QLabel* lblDot1 = nullptr;
    QLabel* lblDot2 = nullptr;
    QLabel* lblDot3 = nullptr;
    QLabel* lblDot4 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QAction* mnuFileSet = nullptr;
    QAction* mnuFileReset = nullptr;
    QAction* mnuFileExit = nullptr;
    QAction* mnuGameLeft = nullptr;
    QAction* mnuGameRight = nullptr;
    QAction* mnuGamePause = nullptr;
    QAction* mnuHelpGeneral = nullptr;
    QAction* mnuHelpAbout = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

    std::array<SideControls, 2> m_sides;

    QPointer<Dialog> m_dialog;
    QPointer<Help> m_help;
    QPointer<frmAbout> m_about;
};
