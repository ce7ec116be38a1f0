#include "clockface.h"

#include "pictures.h"
#include "spokenclock.h"

#include <artwork.h>
#include <designstyle.h>
#include <twips.h>

#include <QLabel>
#include <QMainWindow>
#include <QPushButton>

#include <initializer_list>
#include <optional>

using clockcore::Side;
using designstyle::FontStyle;
using designstyle::Weight;

namespace {

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
constexpr char startingSeconds[] = "00";

QFont arialFont(qreal points, Weight weight = Weight::Regular)
{
    return designstyle::font("Arial", points, {.weight = weight, .hint = QFont::SansSerif});
}

// A row of the design's labels that share caption, font, alignment and background.
struct LabelDesign
{
    QLabel*& label;
    const char* name;
    QRect geometry;
    QColor text;
};

void addLabels(QWidget* parent, std::initializer_list<LabelDesign> labels, const QString& caption,
               const QFont& font, Qt::Alignment alignment, std::optional<QColor> background)
{
    for (const LabelDesign& item : labels) {
        // Each created above the ones made before it.
        item.label = designstyle::label(*parent, item.name, item.geometry, caption,
                                        alignment | Qt::AlignTop);
        item.label->setFont(font);
        designstyle::paint(*item.label, item.text, background);
    }
}

} // namespace

ClockFace::ClockFace(QMainWindow& window)
    : clientArea(createClientArea(window)), m_spoken(*clientArea)
{
    createBannerStrip();
    createButtons();
    createMoveCounters();
    createClockDigits();
    createColons();
    createGameOverMarks();
    setTabOrder();

    m_sides[static_cast<int>(Side::Left)] = {lblHoursLeft, lblMinLeft, lblSecLeft, lblDot2,
                                             Label3,       MovesLeft,  Command2,   leftClockColour};
    m_sides[static_cast<int>(Side::Right)] = {lblHoursRight, lblMinRight,     lblSecRight,
                                              lblDot4,       Label4,          MovesRight,
                                              Command1,      rightClockColour};
}

QWidget* ClockFace::createClientArea(QMainWindow& window)
{
    auto* area = new PictureArea(QString::fromLatin1(artwork::backgroundPath), &window);
    area->setObjectName(QStringLiteral("clientArea"));
    window.setCentralWidget(area);
    return area;
}

void ClockFace::createBannerStrip()
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
        auto* box = new PictureBox(clientArea);
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

void ClockFace::createButtons()
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
    const QFont captionFont = arialFont(captionPoints, Weight::Bold);
    const QFont arrowFont = designstyle::font(arrowFace, arrowPoints, {.hint = QFont::SansSerif});
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
        auto* button = new QPushButton(item.caption, clientArea);
        button->setObjectName(QString::fromLatin1(item.name));
        button->setGeometry(item.geometry);
        button->setFont(item.font);
        button->setToolTip(QString::fromLatin1(item.tooltip));
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::StrongFocus);
        item.button = button;
    }
}

void ClockFace::createMoveCounters()
{
    constexpr int top = 3840;
    constexpr qreal points = 15.75;
    const QFont font = arialFont(points, Weight::Bold);
    const QColor captionText = clientArea->palette().color(QPalette::HighlightedText);
    addLabels(clientArea,
              {{Label5, "Label5", twips::rect(60, top, 975, 375), captionText},
               {Label6, "Label6", twips::rect(6540, top, 975, 375), captionText}},
              QStringLiteral("Moves"), font, Qt::AlignHCenter, std::nullopt);
    addLabels(clientArea,
              {{MovesLeft, "MovesLeft", twips::rect(1140, top, 855, 345), movesText},
               {MovesRight, "MovesRight", twips::rect(7620, top, 855, 345), movesText}},
              {}, font, Qt::AlignRight, movesBackground);
}

void ClockFace::createClockDigits()
{
    constexpr int top = 2220;
    constexpr int height = 1455;
    constexpr qreal points = 72;
    addLabels(
        clientArea,
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

void ClockFace::createColons()
{
    constexpr int top = 2460;
    constexpr int width = 195;
    constexpr int height = 1215;
    constexpr qreal points = 48;
    // Created in this order so that each later colon lies above the earlier ones.
    addLabels(clientArea,
              {
                  {lblDot1, "lblDot1", twips::rect(780, top, width, height), {128, 128, 255}},
                  {lblDot2, "lblDot2", twips::rect(2400, top, width, height), leftClockColour},
                  {lblDot3, "lblDot3", twips::rect(5100, top, width, height), {255, 0, 255}},
                  {lblDot4, "lblDot4", twips::rect(6660, top, width, height), rightClockColour},
              },
              QStringLiteral(":"), arialFont(points), Qt::AlignLeft, std::nullopt);
}

void ClockFace::createGameOverMarks()
{
    constexpr qreal points = 48;
    const QFont font = designstyle::font("Courier New", points,
                                         {.weight = Weight::Bold, .hint = QFont::TypeWriter});
    const auto makeMark = [&](const char* name, QRect geometry) {
        QLabel* label =
            designstyle::label(*clientArea, name, geometry, {}, Qt::AlignHCenter | Qt::AlignTop);
        label->setFont(font);
        // A single sunken line, as a framed label has on the desktop; a plain box would be
        // drawn in the mark's bright green text colour around each clock all game long.
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
        designstyle::paint(*label, gameOverText, std::nullopt);
        return label;
    };
    // Label4 last: the marks lie above everything else of the clocks.
    Label3 = makeMark("Label3", twips::rect(75, 2115, 4140, 1665));
    Label4 = makeMark("Label4", twips::rect(4380, 2115, 4065, 1665));
}

void ClockFace::setTabOrder()
{
    QWidget* const order[] = {CommSet,   Command2, Command1, CommPause,
                              CommReset, Picture1, Picture2, Picture3};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

const ClockFace::SideControls& ClockFace::side(Side side) const
{
    return m_sides[static_cast<int>(side)];
}

SpokenClock::Labels ClockFace::spokenLabels(Side which) const
{
    const SideControls& shown = side(which);
    return {shown.hours, shown.minutes, shown.seconds, shown.moves, shown.gameOverMark};
}

void ClockFace::showTime(Side which, const clockcore::TimeParts& time)
{
    const SideControls& shown = side(which);
    shown.hours->setText(QString::number(time.hours));
    shown.minutes->setText(QString::number(time.minutes));
    shown.seconds->setText(QString::number(time.seconds));
    m_spoken.update(spokenLabels(which), which);
}

void ClockFace::showStartingTime(Side which, const clockcore::TimeParts& time)
{
    showTime(which, time);
    if (time.seconds == 0) {
        side(which).seconds->setText(QString::fromLatin1(startingSeconds));
    }
}

void ClockFace::showMoves(Side which, qint16 moves)
{
    side(which).moves->setText(QString::number(moves));
    m_spoken.update(spokenLabels(which), which);
}

void ClockFace::setClockColours(Side which, bool warning)
{
    const SideControls& shown = side(which);
    const QColor text = warning ? warningText : shown.clockColour;
    const QColor background = warning ? warningBackground : clockBackground;
    designstyle::paint(*shown.minutes, text, background);
    designstyle::paint(*shown.seconds, text, background);
    designstyle::paint(*shown.secondColon, text, std::nullopt);
    if (warning) {
        m_spoken.announceLowTime(spokenLabels(which), which);
    } else {
        m_spoken.liftLowTime(which);
    }
}

void ClockFace::setGameOverMark(Side which, bool over)
{
    QLabel* mark = side(which).gameOverMark;
    designstyle::paint(*mark, gameOverText,
                       over ? std::optional<QColor>(gameOverBackground) : std::nullopt);
    mark->setText(over ? QString::fromLatin1(gameOverCaption) : QString());
    m_spoken.update(spokenLabels(which), which);
}

void ClockFace::announceTurn(Side toMove)
{
    m_spoken.announceTurn(spokenLabels(toMove), toMove);
}

void ClockFace::announcePause()
{
    m_spoken.announcePause();
}

void ClockFace::showFirstBanner()
{
    Picture1->setVisible(true);
    Picture2->setVisible(false);
    Picture3->setVisible(false);
}

void ClockFace::advanceBannerStrip()
{
    QLabel* const strip[] = {Picture1, Picture2, Picture3};
    for (std::size_t i = 0; i < std::size(strip); ++i) {
        if (strip[i]->isVisibleTo(clientArea)) {
            strip[i]->setVisible(false);
            strip[(i + 1) % std::size(strip)]->setVisible(true);
            return;
        }
    }
}
