#include "form1.h"

#include <appinfo.h>
#include <artwork.h>
#include <dialog.h>
#include <frmabout.h>
#include <help.h>
#include <numberconversion.h>
#include <timesettings.h>
#include <twips.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <optional>

using clockcore::Side;

namespace {

constexpr QSize clientAreaSize = twips::size(8505, 4245);
constexpr int tickMilliseconds = 1000;

constexpr QColor leftClockColour{0, 0, 255};
constexpr QColor rightClockColour{192, 0, 192};
constexpr QColor clockBackground{224, 224, 224};
constexpr QColor warningText{255, 0, 0};
constexpr QColor warningBackground{255, 255, 0};
constexpr QColor gameOverBackground{0, 0, 0};
constexpr QColor gameOverText{0, 255, 0};
constexpr QColor movesText{255, 255, 255};
constexpr QColor movesBackground{192, 192, 255};

// The arrows are drawn from a face that is sure to have them, in the size of the design's
// symbol font: a left-pointing and a right-pointing outlined arrow.
constexpr char16_t arrowRight = u'\u21E8';
constexpr char16_t arrowLeft = u'\u21E6';
constexpr char arrowFace[] = "DejaVu Sans";

constexpr char gameOverCaption[] = "Over";
constexpr char gameOverMessage[] = "The Game Is Over";
constexpr char startSeconds[] = "00";

QFont designFont(const char* family, qreal points, bool bold = false,
                 QFont::StyleHint hint = QFont::SansSerif)
{
    QFont font{QString::fromLatin1(family)};
    font.setStyleHint(hint);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont arialFont(qreal points, bool bold = false)
{
    return designFont("Arial", points, bold);
}

// Text colour, and the background colour for an opaque label; no background leaves the label
// transparent, so whatever lies below shows through around its text.
void paintLabel(QLabel* label, const QColor& text, std::optional<QColor> background)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    if (background) {
        palette.setColor(QPalette::Window, *background);
    }
    label->setPalette(palette);
    label->setAutoFillBackground(background.has_value());
}

// The client area: the background picture at its natural size from the top left corner, the
// workspace colour wherever the window is larger than the picture. It never lays anything out.
class ClientArea : public QWidget
{
public:
    explicit ClientArea(QWidget* parent)
        : QWidget(parent), m_background(QString::fromLatin1(artwork::backgroundPath))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        const QRegion uncovered =
            QRegion(event->rect()) - QRegion(QRect(QPoint(0, 0), m_background.size()));
        for (const QRect& rect : uncovered) {
            painter.fillRect(rect, palette().brush(QPalette::Dark));
        }
        painter.drawPixmap(QPoint(0, 0), m_background);
    }

private:
    QPixmap m_background;
};

// A picture box: its picture at its natural size from the top left corner, pixels doubled
// sharp-edged at a display scale of 2 where a plain label would smooth them.
class PictureBox : public QLabel
{
public:
    explicit PictureBox(QWidget* parent) : QLabel(parent) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawPixmap(contentsRect().topLeft(), pixmap());
    }
};

// A clock sleeps almost a whole second before each tick, and the system lets a sleep that long
// end up to a thousandth of it late, a millisecond, on top of the event loop rounding every sleep
// up to a whole millisecond. So each clock timer has a guard: a timer without a handler that
// wakes the event loop shortly before the tick, which leaves a last sleep short enough to end on
// time.
constexpr char tickGuardName[] = "tickGuard";
constexpr int tickGuardLeadMilliseconds = 20;

QTimer* tickGuard(const QTimer* clock)
{
    return clock->findChild<QTimer*>(QString::fromLatin1(tickGuardName),
                                     Qt::FindDirectChildrenOnly);
}

void armTickGuard(const QTimer* clock)
{
    if (QTimer* guard = tickGuard(clock)) {
        guard->start(clock->interval() - tickGuardLeadMilliseconds);
    }
}

void addTickGuard(QTimer* clock)
{
    auto* guard = new QTimer(clock);
    guard->setObjectName(QString::fromLatin1(tickGuardName));
    guard->setTimerType(Qt::PreciseTimer);
    guard->setSingleShot(true);
    QObject::connect(clock, &QTimer::timeout, guard, [clock] { armTickGuard(clock); });
}

void setTimerEnabled(QTimer* timer, bool enabled)
{
    // Enabling a clock that already runs keeps its schedule: restarting it would let the side
    // that is thinking keep the part of a second it has already used.
    if (!enabled) {
        timer->stop();
        if (QTimer* guard = tickGuard(timer)) {
            guard->stop();
        }
    } else if (!timer->isActive()) {
        timer->start();
        armTickGuard(timer);
    }
}

// "1 hour", "4 minutes": a count as a screen reader should say it.
QString spokenCount(int count, const char* one, const char* many)
{
    return QString::number(count) + QLatin1Char(' ') + QString::fromLatin1(count == 1 ? one : many);
}

// Names change with every tick; announcing one that did not change would be noise.
void setAccessibleNameIfChanged(QWidget* widget, const QString& name)
{
    if (widget->accessibleName() != name) {
        widget->setAccessibleName(name);
    }
}

} // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent), m_alertSound(makeSystemAlertSound())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral(" ") + QString::fromLatin1(appinfo::product));
    setWindowIcon(artwork::applicationIcon());

    createClientArea();
    createBannerStrip();
    createButtons();
    createMoveCounters();
    createClockDigits();
    createColons();
    createGameOverMarks();
    createMenus();
    createTimers();
    setTabOrders();
    describeControlsForScreenReaders();

    m_sides[static_cast<int>(Side::Left)] = {lblHoursLeft, lblMinLeft,     lblSecLeft, lblDot2,
                                             Label3,       MovesLeft,      Timer1,     Command2,
                                             mnuGameRight, leftClockColour};
    m_sides[static_cast<int>(Side::Right)] = {lblHoursRight, lblMinRight,     lblSecRight, lblDot4,
                                              Label4,        MovesRight,      Timer2,      Command1,
                                              mnuGameLeft,   rightClockColour};
    connectHandlers();

    resize(clientAreaSize.width(), clientAreaSize.height() + menuBar()->sizeHint().height());
    centreOnScreen();

    Form_Load();
    CommSet->setFocus();
}

Form1::~Form1()
{
    // Form_Terminate: the main window goes only when the program ends. The secondary windows
    // have no owner, so they go with it here, without running any of their handlers.
    delete m_dialog.data();
    delete m_help.data();
    delete m_about.data();
}

void Form1::createClientArea()
{
    auto* area = new ClientArea(this);
    area->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(area);
}

void Form1::createBannerStrip()
{
    struct Banner
    {
        QLabel*& box;
        const char* name;
        QRect geometry;
        const char* picture;
        const char* tooltip;
        QPalette::ColorRole background;
    };
    const Banner banners[] = {
        {Picture1, "Picture1", twips::rect(600, 120, 6915, 915), artwork::banner1Path,
         artwork::banner1Tooltip, QPalette::Base},
        {Picture2, "Picture2", twips::rect(540, 120, 7035, 855), artwork::banner2Path,
         artwork::banner2Tooltip, QPalette::Base},
        {Picture3, "Picture3", twips::rect(480, 180, 7095, 855), artwork::banner3Path,
         artwork::banner3Tooltip, QPalette::Button},
    };
    for (const Banner& banner : banners) {
        auto* box = new PictureBox(centralWidget());
        box->setObjectName(QString::fromLatin1(banner.name));
        box->setGeometry(banner.geometry);
        box->setPixmap(QPixmap(QString::fromLatin1(banner.picture)));
        box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        box->setToolTip(QString::fromLatin1(banner.tooltip));
        box->setBackgroundRole(banner.background);
        box->setAutoFillBackground(true);
        box->setFocusPolicy(Qt::TabFocus);
        banner.box = box;
    }
}

void Form1::createButtons()
{
    struct Button
    {
        QPushButton*& button;
        const char* name;
        QRect geometry;
        QString caption;
        QFont font;
        const char* tooltip;
    };
    constexpr int top = 1560;
    constexpr int height = 495;
    constexpr qreal captionPoints = 9.75;
    constexpr qreal arrowPoints = 24;
    const QFont captionFont = arialFont(captionPoints, true);
    const QFont arrowFont = designFont(arrowFace, arrowPoints);
    const Button buttons[] = {
        {CommSet, "CommSet", twips::rect(240, top, 615, height), QStringLiteral("&Set"),
         captionFont, "Set Time"},
        {Command2, "Command2", twips::rect(2220, top, 855, height), QString(QChar(arrowRight)),
         arrowFont, "Clock Push Left Button. Press it also to start."},
        {CommPause, "CommPause", twips::rect(3600, top, 1335, height), QStringLiteral("&Pause"),
         captionFont, "Click on any button with arrow to resume"},
        {Command1, "Command1", twips::rect(5460, top, 855, height), QString(QChar(arrowLeft)),
         arrowFont, "Clock Push Right Button. Press it also to start."},
        {CommReset, "CommReset", twips::rect(7680, top, 735, height), QStringLiteral("&Reset"),
         captionFont, "Reset to defaults"},
    };
    for (const Button& item : buttons) {
        auto* button = new QPushButton(item.caption, centralWidget());
        button->setObjectName(QString::fromLatin1(item.name));
        button->setGeometry(item.geometry);
        button->setFont(item.font);
        button->setToolTip(QString::fromLatin1(item.tooltip));
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::StrongFocus);
        item.button = button;
    }
}

void Form1::createMoveCounters()
{
    constexpr qreal points = 15.75;
    const QFont font = arialFont(points, true);
    const QColor captionText = palette().color(QPalette::HighlightedText);
    const auto makeLabel = [&](const char* name, QRect geometry, const QString& caption,
                               Qt::Alignment alignment) {
        auto* label = new QLabel(caption, centralWidget());
        label->setObjectName(QString::fromLatin1(name));
        label->setGeometry(geometry);
        label->setFont(font);
        label->setAlignment(alignment | Qt::AlignTop);
        return label;
    };
    const QString moves = QStringLiteral("Moves");
    Label5 = makeLabel("Label5", twips::rect(60, 3840, 975, 375), moves, Qt::AlignHCenter);
    paintLabel(Label5, captionText, std::nullopt);
    MovesLeft = makeLabel("MovesLeft", twips::rect(1140, 3840, 855, 345), {}, Qt::AlignRight);
    paintLabel(MovesLeft, movesText, movesBackground);
    Label6 = makeLabel("Label6", twips::rect(6540, 3840, 975, 375), moves, Qt::AlignHCenter);
    paintLabel(Label6, captionText, std::nullopt);
    MovesRight = makeLabel("MovesRight", twips::rect(7620, 3840, 855, 345), {}, Qt::AlignRight);
    paintLabel(MovesRight, movesText, movesBackground);
}

void Form1::createClockDigits()
{
    constexpr int top = 2220;
    constexpr int height = 1455;
    constexpr qreal points = 72;
    addLabels(
        {
            {lblHoursLeft, "lblHoursLeft", twips::rect(120, top, 735, height), {128, 128, 255}},
            {lblMinLeft, "lblMinLeft", twips::rect(1020, top, 1455, height), leftClockColour},
            {lblSecLeft, "lblSecLeft", twips::rect(2640, top, 1515, height), leftClockColour},
            {lblHoursRight, "lblHoursRight", twips::rect(4440, top, 735, height), {255, 128, 255}},
            {lblMinRight, "lblMinRight", twips::rect(5340, top, 1395, height), rightClockColour},
            {lblSecRight, "lblSecRight", twips::rect(6900, top, 1515, height), rightClockColour},
        },
        {}, arialFont(points), Qt::AlignHCenter, clockBackground);
}

void Form1::createColons()
{
    constexpr int top = 2460;
    constexpr int width = 195;
    constexpr int height = 1215;
    constexpr qreal points = 48;
    // Created in this order so that each later colon lies above the earlier ones.
    addLabels(
        {
            {lblDot1, "lblDot1", twips::rect(780, top, width, height), {128, 128, 255}},
            {lblDot2, "lblDot2", twips::rect(2400, top, width, height), leftClockColour},
            {lblDot3, "lblDot3", twips::rect(5100, top, width, height), {255, 0, 255}},
            {lblDot4, "lblDot4", twips::rect(6660, top, width, height), rightClockColour},
        },
        QStringLiteral(":"), arialFont(points), Qt::AlignLeft, std::nullopt);
}

void Form1::addLabels(std::initializer_list<LabelDesign> labels, const QString& caption,
                      const QFont& font, Qt::Alignment alignment, std::optional<QColor> background)
{
    for (const LabelDesign& item : labels) {
        auto* label = new QLabel(caption, centralWidget());
        label->setObjectName(QString::fromLatin1(item.name));
        label->setGeometry(item.geometry);
        label->setFont(font);
        label->setAlignment(alignment | Qt::AlignTop);
        paintLabel(label, item.text, background);
        item.label = label;
    }
}

void Form1::createGameOverMarks()
{
    constexpr qreal points = 48;
    const QFont font = designFont("Courier New", points, true, QFont::TypeWriter);
    const auto makeMark = [&](const char* name, QRect geometry) {
        auto* label = new QLabel(centralWidget());
        label->setObjectName(QString::fromLatin1(name));
        label->setGeometry(geometry);
        label->setFont(font);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        // A single sunken line, as a framed label has on the desktop; a plain box would be
        // drawn in the mark's bright green text colour around each clock all game long.
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
        paintLabel(label, gameOverText, std::nullopt);
        return label;
    };
    // Label4 last: the marks lie above everything else of the clocks.
    Label3 = makeMark("Label3", twips::rect(75, 2115, 4140, 1665));
    Label4 = makeMark("Label4", twips::rect(4380, 2115, 4065, 1665));
}

void Form1::createMenus()
{
    struct Entry
    {
        QAction*& action;
        const char* name;
        int index;
        const char* caption;
        QKeySequence shortcut;
    };
    const auto addMenu = [this](const char* name, int index, const char* caption) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(caption));
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setData(index);
        return menu;
    };
    const auto addEntries = [this](QMenu* menu, std::initializer_list<Entry> entries) {
        for (const Entry& entry : entries) {
            auto* action = new QAction(QString::fromLatin1(entry.caption), this);
            action->setObjectName(QString::fromLatin1(entry.name));
            action->setData(entry.index);
            action->setShortcut(entry.shortcut);
            menu->addAction(action);
            entry.action = action;
        }
    };
    addEntries(addMenu("mnuFileMain", 1, "&File"),
               {{mnuFileSet, "mnuFileSet", 2, "Set time", QKeySequence(Qt::CTRL | Qt::Key_S)},
                {mnuFileReset, "mnuFileReset", 3, "Reset game", QKeySequence(Qt::CTRL | Qt::Key_R)},
                {mnuFileExit, "mnuFileExit", 4, "Exit", QKeySequence(Qt::CTRL | Qt::Key_X)}});
    addEntries(
        addMenu("mnuGameMain", 5, "&Game"),
        {{mnuGameLeft, "mnuGameLeft", 6, "Left Player's Move", QKeySequence(Qt::CTRL | Qt::Key_L)},
         {mnuGameRight, "mnuGameRight", 7, "Right Player's Move",
          QKeySequence(Qt::CTRL | Qt::Key_I)},
         {mnuGamePause, "mnuGamePause", 8, "Pause", QKeySequence(Qt::CTRL | Qt::Key_P)}});
    addEntries(
        addMenu("mnuHelpMain", 9, "&Help"),
        {{mnuHelpGeneral, "mnuHelpGeneral", 10, "General help", QKeySequence(Qt::CTRL | Qt::Key_H)},
         {mnuHelpAbout, "mnuHelpAbout", 11, "About", QKeySequence()}});
}

void Form1::createTimers()
{
    const auto makeTimer = [this](const char* name) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QString::fromLatin1(name));
        // A coarse timer may fire tens of milliseconds early, which would charge a whole
        // second for less than a second of thinking.
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(tickMilliseconds);
        addTickGuard(timer);
        timer->start(); // enabled as designed; start-up stops both before the window shows
        return timer;
    };
    Timer1 = makeTimer("Timer1");
    Timer2 = makeTimer("Timer2");
}

void Form1::setTabOrders()
{
    const QWidget* order[] = {CommSet,   Command2, Command1, CommPause,
                              CommReset, Picture1, Picture2, Picture3};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
    }
}

void Form1::connectHandlers()
{
    connect(CommSet, &QPushButton::clicked, this, &Form1::CommSet_Click);
    connect(CommReset, &QPushButton::clicked, this, &Form1::CommReset_Click);
    connect(CommPause, &QPushButton::clicked, this, &Form1::CommPause_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(mnuFileSet, &QAction::triggered, this, &Form1::mnuFileSet_Click);
    connect(mnuFileReset, &QAction::triggered, this, &Form1::mnuFileReset_Click);
    connect(mnuFileExit, &QAction::triggered, this, &Form1::mnuFileExit_Click);
    connect(mnuGameLeft, &QAction::triggered, this, &Form1::mnuGameLeft_Click);
    connect(mnuGameRight, &QAction::triggered, this, &Form1::mnuGameRight_Click);
    connect(mnuGamePause, &QAction::triggered, this, &Form1::mnuGamePause_Click);
    connect(mnuHelpGeneral, &QAction::triggered, this, &Form1::mnuHelpGeneral_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &Form1::mnuHelpAbout_Click);
}

void Form1::centreOnScreen()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

Form1::SideControls& Form1::controls(Side side)
{
    return m_sides[static_cast<int>(side)];
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

// ---- Start-up and reset -------------------------------------------------------------------

void Form1::Form_Load()
{
    startGameFromSettings(clockcore::bannerPeriodAtStartUp);
}

void Form1::CommReset_Click()
{
    Command1->setVisible(true);
    Command2->setVisible(true);
    startGameFromSettings(clockcore::bannerPeriodAtReset);
    setGameOverMark(Side::Left, false);
    setGameOverMark(Side::Right, false);
}

void Form1::startGameFromSettings(qint16 bannerPeriod)
{
    showFirstBanner();
    MovesLeft->setText(QStringLiteral("0"));
    MovesRight->setText(QStringLiteral("0"));

    // Reading the fields creates the settings dialog, hidden, when there is none.
    const Dialog& dialog = settingsDialog();
    const auto seconds = [](const QString& hours, const QString& minutes) {
        return clockcore::sideSeconds(clockcore::convertNumber(hours),
                                      clockcore::convertNumber(minutes));
    };
    const qint16 left = seconds(dialog.leftHoursText(), dialog.leftMinutesText());
    const qint16 right = seconds(dialog.rightHoursText(), dialog.rightMinutesText());
    clockcore::startGame(m_state, left, right, bannerPeriod);

    for (const Side side : {Side::Left, Side::Right}) {
        clockcore::TimeParts time = clockcore::splitTime(m_state.seconds(side));
        showTime(side, time);
        if (time.seconds == 0) {
            controls(side).seconds->setText(QString::fromLatin1(startSeconds));
        }
        setClockColours(side, false);
    }
    mnuGameLeft->setEnabled(true);
    mnuGameRight->setEnabled(true);
    stopBothClocks();
}

void Form1::stopBothClocks()
{
    setTimerEnabled(Timer1, false);
    setTimerEnabled(Timer2, false);
}

// ---- Screen readers ----------------------------------------------------------------------

void Form1::describeControlsForScreenReaders()
{
    centralWidget()->setAccessibleName(QStringLiteral("Clock face"));
    for (QLabel* banner : {Picture1, Picture2, Picture3}) {
        banner->setAccessibleName(QStringLiteral("Banner picture"));
    }
    // The push buttons show only arrows; their tooltips stay as the descriptions.
    Command2->setAccessibleName(
        QStringLiteral("Left player's clock button: end the left player's move"));
    Command1->setAccessibleName(
        QStringLiteral("Right player's clock button: end the right player's move"));
    Label5->setAccessibleDescription(QStringLiteral("Caption of the left player's move counter"));
    Label6->setAccessibleDescription(QStringLiteral("Caption of the right player's move counter"));
    lblDot1->setAccessibleName(QStringLiteral("Left clock: separator of hours and minutes"));
    lblDot2->setAccessibleName(QStringLiteral("Left clock: separator of minutes and seconds"));
    lblDot3->setAccessibleName(QStringLiteral("Right clock: separator of hours and minutes"));
    lblDot4->setAccessibleName(QStringLiteral("Right clock: separator of minutes and seconds"));
    // A menu's popup is named as its entry in the menu bar is.
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        menu->setAccessibleName(QString(menu->title()).remove(QLatin1Char('&')));
    }
}

// Said from what the labels show, so that a screen reader never tells another time or count
// than the one on screen. The hours label, the first of a clock, carries the whole time.
void Form1::updateAccessibleTexts(Side side)
{
    const SideControls& shown = controls(side);
    const QString clock =
        side == Side::Left ? QStringLiteral("Left clock") : QStringLiteral("Right clock");
    const QString player =
        side == Side::Left ? QStringLiteral("Left player's") : QStringLiteral("Right player's");
    const int hours = shown.hours->text().toInt();
    const int minutes = shown.minutes->text().toInt();
    const int seconds = shown.seconds->text().toInt();
    setAccessibleNameIfChanged(shown.hours, QStringLiteral("%1: %2 %3 %4")
                                                .arg(clock, spokenCount(hours, "hour", "hours"),
                                                     spokenCount(minutes, "minute", "minutes"),
                                                     spokenCount(seconds, "second", "seconds")));
    setAccessibleNameIfChanged(shown.minutes,
                               QStringLiteral("%1 minutes: %2").arg(clock).arg(minutes));
    setAccessibleNameIfChanged(shown.seconds,
                               QStringLiteral("%1 seconds: %2").arg(clock).arg(seconds));
    setAccessibleNameIfChanged(shown.moves,
                               QStringLiteral("%1 moves: %2").arg(player, shown.moves->text()));
    setAccessibleNameIfChanged(shown.gameOverMark,
                               shown.gameOverMark->text().isEmpty()
                                   ? QStringLiteral("%1: time is not up").arg(clock)
                                   : QStringLiteral("%1: time is up, the game is over").arg(clock));
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
    // The side that ran out keeps its timer until "The Game Is Over" is answered; the box runs
    // its own event loop, in which that timer would tick again and raise the time-out once more.
    // One time-out, one message: such ticks are dropped.
    if (m_gameOverShowing) {
        return;
    }
    const clockcore::TickResult result = clockcore::tick(m_state, running);
    showTime(running, result.shown);
    if (result.warn) {
        m_alertSound->play();
        setClockColours(running, true);
    }
    if (result.timeOut) {
        showTimeOut(running);
    }
}

void Form1::showTime(Side side, const clockcore::TimeParts& time)
{
    SideControls& side_ = controls(side);
    side_.hours->setText(QString::number(time.hours));
    side_.minutes->setText(QString::number(time.minutes));
    side_.seconds->setText(QString::number(time.seconds));
    updateAccessibleTexts(side);
}

void Form1::setClockColours(Side side, bool warning)
{
    SideControls& side_ = controls(side);
    const QColor text = warning ? warningText : side_.clockColour;
    const QColor background = warning ? warningBackground : clockBackground;
    paintLabel(side_.minutes, text, background);
    paintLabel(side_.seconds, text, background);
    paintLabel(side_.secondColon, text, std::nullopt);
}

void Form1::setGameOverMark(Side side, bool over)
{
    QLabel* mark = controls(side).gameOverMark;
    paintLabel(mark, gameOverText, over ? std::optional<QColor>(gameOverBackground) : std::nullopt);
    mark->setText(over ? QString::fromLatin1(gameOverCaption) : QString());
    updateAccessibleTexts(side);
}

void Form1::showTimeOut(Side side)
{
    setGameOverMark(side, true);
    m_gameOverShowing = true;
    showGameOverMessage();
    m_gameOverShowing = false;
    stopBothClocks();
}

void Form1::showGameOverMessage()
{
    // While the settings dialog is up this window is hidden; the message then belongs to
    // whatever window the players are looking at, so that it comes up in front of them.
    QWidget* owner = isVisible() ? this : QApplication::activeWindow();
    QMessageBox box(QMessageBox::Information, QString::fromLatin1(appinfo::title),
                    QString::fromLatin1(gameOverMessage), QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("gameOverMessage"));
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
    box.exec();
}

// ---- Pushes, banner strip and pause ---------------------------------------------------------

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
    SideControls& own = controls(pusher);
    SideControls& other = controls(next);

    const clockcore::PushResult result = clockcore::push(m_state, pusher);
    if (result.advanceBanner) {
        advanceBannerStrip();
    }
    own.moves->setText(QString::number(result.moves));
    setTimerEnabled(other.timer, true);
    setTimerEnabled(own.timer, false);
    own.pushButton->setVisible(false);
    other.pushButton->setVisible(true);
    own.pushMenuEntry->setEnabled(false);
    other.pushMenuEntry->setEnabled(true);
    other.pushButton->setFocus();
    updateAccessibleTexts(pusher);
}

void Form1::showFirstBanner()
{
    Picture1->setVisible(true);
    Picture2->setVisible(false);
    Picture3->setVisible(false);
}

void Form1::advanceBannerStrip()
{
    // The strip keeps no index: the picture shown is the one that is visible.
    QLabel* const strip[] = {Picture1, Picture2, Picture3};
    for (std::size_t i = 0; i < std::size(strip); ++i) {
        if (strip[i]->isVisibleTo(centralWidget())) {
            QLabel* next = strip[(i + 1) % std::size(strip)];
            strip[i]->setVisible(false);
            next->setVisible(true);
            return;
        }
    }
}

void Form1::CommPause_Click()
{
    // Only a running clock can be paused: the push that resumes puts back the count that
    // pause lowers, and only a running game has such a push to come. Otherwise nothing happens.
    const bool leftRuns = Timer1->isActive();
    if (!leftRuns && !Timer2->isActive()) {
        return;
    }
    const Side running = leftRuns ? Side::Left : Side::Right;
    const Side waiting = clockcore::opponent(running);
    clockcore::pause(m_state, running);
    controls(waiting).pushButton->setVisible(true);
    controls(running).pushButton->setVisible(false);
    controls(waiting).pushButton->setFocus();
    controls(waiting).pushMenuEntry->setEnabled(true);
    controls(running).pushMenuEntry->setEnabled(false);
    stopBothClocks();
}

// ---- Commands and menus -----------------------------------------------------------------------

void Form1::CommSet_Click()
{
    Command1->setVisible(true);
    Command2->setVisible(true);
    openSettings();
}

void Form1::mnuFileSet_Click()
{
    openSettings();
}

void Form1::openSettings()
{
    Dialog& dialog = settingsDialog();
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
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
    Label3->repaint();
    Label4->repaint();
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
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void Form1::mnuHelpAbout_Click()
{
    if (m_about.isNull()) {
        m_about = new frmAbout();
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
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
