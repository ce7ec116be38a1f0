#include "frmabout.h"

#include <appinfo.h>
#include <artwork.h>
#include <designstyle.h>
#include <placement.h>
#include <spokentext.h>
#include <twips.h>

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

constexpr QSize aboutSize = twips::size(5820, 3645);
// The client area, not the frame, opens at this screen position.
constexpr QPoint clientTopLeft{twips::px(2340), twips::px(1935)};

constexpr QColor ruleGrey{128, 128, 128};
// The credits are white; on the light default dialog colour they would vanish, so they get a
// dark panel of their own.
constexpr QColor descriptionBackground{0, 0, 128};
constexpr QColor descriptionText{255, 255, 255};

constexpr int ruleLeft = twips::px(105);
// The rule ends at 5654 twips, the design's one value that is not a whole number of pixels
// (376.9): rounded to 377, so the last grey pixel is column 376.
constexpr int ruleRightEdge = 377;
constexpr int ruleTop = twips::px(2460);
constexpr int ruleThickness = 1;

QString titleBlock()
{
    return QString::fromLatin1(appinfo::product) +
           QStringLiteral("\nA chess clock by the Ostrevane team");
}

QString descriptionCredits()
{
    return QStringLiteral(
        "Two players, one computer and a clock for each of them, pushed after every move just "
        "like a mechanical game clock. Designed, written and tested by the Ostrevane team.");
}

QFont timesFont(double points, bool italic)
{
    return designstyle::font("Times New Roman", points,
                             {.weight = designstyle::Weight::Bold, .italic = italic});
}

} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    // A fixed dialog frame with a close box only, kept out of the taskbar.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(aboutSize);
    // Placed, the dialog does not centre itself when shown.
    placement::placeClientArea(*this, QRect(clientTopLeft, aboutSize));

    createControls();
    describeForScreenReaders(*this, {{"picIcon", "Program icon", nullptr},
                                     {"lblVersion", nullptr, "Version of the program"},
                                     {"Line1", "Separator line", nullptr},
                                     {"cmdOK", nullptr, "Close the About window"}});
    Form_Load();
}

void frmAbout::createControls()
{
    using designstyle::Wrap;
    QLabel* picIcon = designstyle::label(*this, "picIcon", twips::rect(120, 120, 540, 540), {});
    picIcon->setPixmap(QPixmap(QString::fromLatin1(artwork::iconPath)));

    constexpr double titlePoints = 12.0;
    QLabel* Label1 = designstyle::label(*this, "Label1", twips::rect(840, 120, 3015, 855),
                                        titleBlock(), Qt::AlignLeft | Qt::AlignTop, Wrap::AtWords);
    Label1->setFont(timesFont(titlePoints, false));

    constexpr double versionPoints = 8.25;
    lblVersion = designstyle::label(*this, "lblVersion", twips::rect(4200, 120, 1365, 585), {},
                                    Qt::AlignLeft | Qt::AlignTop, Wrap::AtWords);
    lblVersion->setFont(designstyle::font("Courier New", versionPoints));
    lblVersion->setFrameStyle(QFrame::Box | QFrame::Plain);
    lblVersion->setLineWidth(1);
    designstyle::paint(*lblVersion, std::nullopt, std::nullopt);

    constexpr double descriptionPoints = 9.75;
    QLabel* lblDescription =
        designstyle::label(*this, "lblDescription", twips::rect(840, 1080, 4725, 1245),
                           descriptionCredits(), Qt::AlignLeft | Qt::AlignTop, Wrap::AtWords);
    lblDescription->setFont(timesFont(descriptionPoints, true));
    designstyle::paint(*lblDescription, descriptionText, descriptionBackground);

    auto* Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::NoFrame);
    Line1->setGeometry(ruleLeft, ruleTop, ruleRightEdge - ruleLeft, ruleThickness);
    designstyle::paint(*Line1, std::nullopt, ruleGrey);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twips::rect(4800, 2760, 780, 345));
    cmdOK->setDefault(true);
    cmdOK->setFocus();
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + QString::fromLatin1(appinfo::title));
    lblVersion->setText(QStringLiteral("V. ") + QString::number(appinfo::versionMajor) +
                        QLatin1Char('.') + QString::number(appinfo::versionMinor) +
                        QLatin1Char('.') + QString::number(appinfo::versionRevision) +
                        QStringLiteral(" of April 2001"));
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::reject()
{
    cmdOK_Click();
}

void frmAbout::closeEvent(QCloseEvent* event)
{
    event->accept();
}
