#include "form1.h"

#include "spokenclock.h"

#include <appinfo.h>
#include <artwork.h>
#include <clocktimer.h>
#include <dialog.h>
#include <frmabout.h>
#include <help.h>
#include <numberconversion.h>
#include <placement.h>
#include <timesettings.h>
#include <twips.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

using clockcore::ClockTimer;
using clockcore::Side;

namespace {

constexpr QSize clientAreaSize = twips::size(8505, 4245);
constexpr int tickMilliseconds = 1000;
constexpr char gameOverMessage[] = "The Game Is Over";

} // namespace

Form1::Form1(QWidget* parent)
    : QMainWindow(parent), m_alertSound(makeSystemAlertSound()),
      m_keepAwake(makeDesktopKeepAwake(*this)), m_face(*this), m_menus(createMenus(*this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral(" ") + QString::fromLatin1(appinfo::product));
    setWindowIcon(artwork::applicationIcon());
    createTimers();
    SpokenClock::describe(*this);
    connectHandlers();
    Form_Load();
    keepAwakeWhileAClockRuns();

    // Measuring the menu bar needs the desktop's fonts, which start-up reads meanwhile (main.cpp):
    // the window is sized last, so that what needs no font is done while they are read.
    resize(clientAreaSize.width(), clientAreaSize.height() + menuBar()->sizeHint().height());
    placement::centreWhenFirstShown(*this);
    m_face.CommSet->setFocus();
}

Form1::~Form1()
{
    // Form_Terminate: the main window goes only when the program ends. The secondary windows
    // have no owner, so they go with it here, without running any of their handlers.
    delete m_gameOver.data();
    delete m_dialog.data();
    delete m_help.data();
    delete m_about.data();
}

void Form1::createTimers()
{
    const auto makeTimer = [this](const char* name) {
        auto* timer = new ClockTimer(tickMilliseconds, this);
        timer->setObjectName(QString::fromLatin1(name));
        timer->setEnabled(true); // enabled as designed; start-up stops both before the window shows
        return timer;
    };
    Timer1 = makeTimer("Timer1");
    Timer2 = makeTimer("Timer2");
}

void Form1::connectHandlers()
{
    connect(m_face.CommSet, &QPushButton::clicked, this, &Form1::CommSet_Click);
    connect(m_face.CommReset, &QPushButton::clicked, this, &Form1::CommReset_Click);
    connect(m_face.CommPause, &QPushButton::clicked, this, &Form1::CommPause_Click);
    connect(m_face.Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(m_face.Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Timer1, &ClockTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Timer2, &ClockTimer::timeout, this, &Form1::Timer2_Timer);
    connect(m_menus.mnuFileSet, &QAction::triggered, this, &Form1::mnuFileSet_Click);
    connect(m_menus.mnuFileReset, &QAction::triggered, this, &Form1::mnuFileReset_Click);
    connect(m_menus.mnuFileExit, &QAction::triggered, this, &Form1::mnuFileExit_Click);
    connect(m_menus.mnuGameLeft, &QAction::triggered, this, &Form1::mnuGameLeft_Click);
    connect(m_menus.mnuGameRight, &QAction::triggered, this, &Form1::mnuGameRight_Click);
    connect(m_menus.mnuGamePause, &QAction::triggered, this, &Form1::mnuGamePause_Click);
    connect(m_menus.mnuHelpGeneral, &QAction::triggered, this, &Form1::mnuHelpGeneral_Click);
    connect(m_menus.mnuHelpAbout, &QAction::triggered, this, &Form1::mnuHelpAbout_Click);
}

// The display stays awake exactly while a clock runs. A push starts the next clock before it stops
// the last, so that a game holds it from its first push to its pause, end or reset. Told only once
// start-up has stopped the clocks that the window is made with, which hold nothing.
void Form1::keepAwakeWhileAClockRuns()
{
    const auto clocksChanged = [this] {
        m_keepAwake->setHeld(Timer1->isEnabled() || Timer2->isEnabled());
    };
    connect(Timer1, &ClockTimer::runningChanged, this, clocksChanged);
    connect(Timer2, &ClockTimer::runningChanged, this, clocksChanged);
}

ClockTimer* Form1::timerOf(Side side) const
{
    return side == Side::Left ? Timer1 : Timer2;
}

QAction* Form1::pushEntryOf(Side pusher) const
{
    // The entries are named after the player who is to move next.
    return pusher == Side::Left ? m_menus.mnuGameRight : m_menus.mnuGameLeft;
}

Dialog* Form1::existingSettingsDialog() const
{
    return m_dialog;
}

Help* Form1::existingHelpWindow() const
{
    return m_help;
}

frmAbout* Form1::existingAboutWindow() const
{
    return m_about;
}

void Form1::setAlertSound(std::unique_ptr<AlertSound> sound)
{
    m_alertSound = std::move(sound);
}

void Form1::setKeepAwake(std::unique_ptr<KeepAwake> keepAwake)
{
    m_keepAwake = std::move(keepAwake);
}

// ---- Start-up and reset -------------------------------------------------------------------

void Form1::Form_Load()
{
    startGameFromSettings(clockcore::bannerPeriodAtStartUp);
}

void Form1::CommReset_Click()
{
    m_face.Command1->setVisible(true);
    m_face.Command2->setVisible(true);
    startGameFromSettings(clockcore::bannerPeriodAtReset);
    m_face.setGameOverMark(Side::Left, false);
    m_face.setGameOverMark(Side::Right, false);
}

void Form1::startGameFromSettings(qint16 bannerPeriod)
{
    m_face.showFirstBanner();
    m_face.showMoves(Side::Left, 0);
    m_face.showMoves(Side::Right, 0);
    // Reading the fields creates the settings dialog, hidden, when there is none.
    const Dialog& dialog = settingsDialog();
    const auto seconds = [](const QString& hours, const QString& minutes) {
        return clockcore::sideSeconds(clockcore::convertNumber(hours),
                                      clockcore::convertNumber(minutes));
    };
    clockcore::startGame(m_state, seconds(dialog.leftHoursText(), dialog.leftMinutesText()),
                         seconds(dialog.rightHoursText(), dialog.rightMinutesText()), bannerPeriod);
    for (const Side side : {Side::Left, Side::Right}) {
        m_face.showStartingTime(side, clockcore::splitTime(m_state.seconds(side)));
        m_face.setClockColours(side, false);
    }
    m_menus.mnuGameLeft->setEnabled(true);
    m_menus.mnuGameRight->setEnabled(true);
    stopBothClocks();
}

void Form1::stopBothClocks()
{
    Timer1->setEnabled(false);
    Timer2->setEnabled(false);
}

// ---- Count-down ---------------------------------------------------------------------------

void Form1::Timer1_Timer()
{
    onTick(Side::Left);
}

void Form1::Timer2_Timer()
{
    onTick(Side::Right);
}

void Form1::onTick(Side running)
{
    // One time-out, one message: a tick that comes while "The Game Is Over" waits for its answer
    // would raise the time-out again.
    if (!m_gameOver.isNull()) {
        return;
    }
    const clockcore::TickResult result = clockcore::tick(m_state, running);
    m_face.showTime(running, result.shown);
    if (result.warn) {
        m_alertSound->play();
        m_face.setClockColours(running, true);
    }
    if (result.timeOut) {
        showTimeOut(running);
    }
}

void Form1::showTimeOut(Side side)
{
    m_face.setGameOverMark(side, true);
    // The clocks stop as the message comes up: it waits for its answer without an event loop of
    // its own, so nothing else would stop them meanwhile.
    stopBothClocks();
    // Modal to the whole program, so that no push, reset or close acts behind it. It has no owner
    // window: it must outlive whatever window the players look at (while the settings dialog is
    // up that is the dialog, or its refusal). It comes up over that window all the same, where
    // the players look, and not on another monitor.
    m_gameOver = new QMessageBox(QMessageBox::Information, QString::fromLatin1(appinfo::title),
                                 QString::fromLatin1(gameOverMessage), QMessageBox::Ok);
    m_gameOver->setObjectName(QStringLiteral("gameOverMessage"));
    m_gameOver->setAttribute(Qt::WA_DeleteOnClose);
    m_gameOver->setWindowModality(Qt::ApplicationModal);
    const bool settingsUp = !isVisible() && m_dialog != nullptr && m_dialog->isVisible();
    placement::showInFrontOf(*m_gameOver, settingsUp ? static_cast<QWidget&>(*m_dialog) : *this);
}

// ---- Pushes and pause -----------------------------------------------------------------------

void Form1::Command1_Click()
{
    pushBy(Side::Right);
}

void Form1::Command2_Click()
{
    pushBy(Side::Left);
}

void Form1::pushBy(Side pusher)
{
    const Side next = clockcore::opponent(pusher);
    const clockcore::PushResult result = clockcore::push(m_state, pusher);
    if (result.advanceBanner) {
        m_face.advanceBannerStrip();
    }
    m_face.showMoves(pusher, result.moves);
    timerOf(next)->setEnabled(true);
    timerOf(pusher)->setEnabled(false);
    // The button that goes holds the focus: hidden first, it would hand the focus along the tab
    // chain to Pause for a moment, and a screen reader would announce Pause on every push.
    m_face.side(next).pushButton->setVisible(true);
    m_face.side(next).pushButton->setFocus();
    m_face.side(pusher).pushButton->setVisible(false);
    pushEntryOf(pusher)->setEnabled(false);
    pushEntryOf(next)->setEnabled(true);
    m_face.announceTurn(next);
}

void Form1::CommPause_Click()
{
    // Only a running clock can be paused: the push that resumes puts back the count that
    // pause lowers, and only a running game has such a push to come. Otherwise nothing happens.
    if (!Timer1->isEnabled() && !Timer2->isEnabled()) {
        return;
    }
    const Side running = Timer1->isEnabled() ? Side::Left : Side::Right;
    const Side waiting = clockcore::opponent(running);
    clockcore::pause(m_state, running);
    m_face.side(waiting).pushButton->setVisible(true);
    m_face.side(waiting).pushButton->setFocus();
    m_face.side(running).pushButton->setVisible(false);
    pushEntryOf(waiting)->setEnabled(true);
    pushEntryOf(running)->setEnabled(false);
    stopBothClocks();
    m_face.announcePause();
}

// ---- Commands and menus -----------------------------------------------------------------------

void Form1::CommSet_Click()
{
    m_face.Command1->setVisible(true);
    m_face.Command2->setVisible(true);
    openSettings();
}

void Form1::mnuFileSet_Click()
{
    openSettings();
}

void Form1::openSettings()
{
    placement::showInFront(settingsDialog());
    hide();
}

Dialog& Form1::settingsDialog()
{
    if (m_dialog.isNull()) {
        // No owner window: the dialog stays up while this window is hidden.
        m_dialog = new Dialog();
        connect(m_dialog, &Dialog::settingsApplied, this, &Form1::onSettingsApplied);
        connect(m_dialog, &Dialog::cancelled, this, &Form1::show);
    }
    return *m_dialog;
}

void Form1::onSettingsApplied()
{
    m_face.Label3->repaint();
    m_face.Label4->repaint();
    show();
    Form_Load();
}

void Form1::mnuFileReset_Click()
{
    CommReset_Click();
}

void Form1::mnuFileExit_Click()
{
    endProgram();
}

void Form1::mnuGameLeft_Click()
{
    Command1_Click();
}

void Form1::mnuGameRight_Click()
{
    Command2_Click();
}

void Form1::mnuGamePause_Click()
{
    CommPause_Click();
}

void Form1::mnuHelpGeneral_Click()
{
    if (m_help.isNull()) {
        m_help = new Help();
    }
    placement::showInFront(*m_help);
}

void Form1::mnuHelpAbout_Click()
{
    if (m_about.isNull()) {
        m_about = new frmAbout();
    }
    placement::showInFront(*m_about);
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    endProgram();
}

void Form1::endProgram()
{
    // Everything ends at once: no window is asked to close (that would run the settings
    // dialog's close routine, which applies settings), a running clock simply stops.
    stopBothClocks();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        window->hide();
    }
    QCoreApplication::exit(0);
}
