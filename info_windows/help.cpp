#include "help.h"

#include <designstyle.h>
#include <placement.h>
#include <spokentext.h>
#include <twips.h>

#include <QLabel>
#include <QPushButton>

#include <array>
#include <optional>

namespace {

constexpr QSize helpSize = twips::size(4530, 4995);

constexpr QColor white{255, 255, 255};
constexpr QColor paleGreen{128, 255, 128};
constexpr QColor paleYellow{255, 255, 128};
constexpr QColor palerYellow{255, 255, 192};
constexpr QColor red{255, 0, 0};
constexpr QColor darkRed{192, 0, 0};

enum class LineFont
{
    Heading,
    Body
};

struct HelpLine
{
    const char* name;
    QRect geometry;
    const char* text;
    QColor background;
    std::optional<QColor> textColour; // none: the desktop's usual text colour
    LineFont font;
};

constexpr int lineLeft = 120;
constexpr int lineWidth = 4335;

// The heading wraps after "Corvatine" within its two lines, so the credits follow "Program" on
// the second line instead of taking a third one that the label has no room for.
constexpr std::array<HelpLine, 6> helpLines{{
    {"Label1", twips::rect(lineLeft, 120, lineWidth, 615),
     "Short Help for Corvatine Program - Ostrevane team", paleGreen, red, LineFont::Heading},
    {"Label2", twips::rect(lineLeft, 720, lineWidth, 495),
     "Well, the program is very easy to use. But if you need some help - here it is.", paleYellow,
     std::nullopt, LineFont::Body},
    {"Label3", twips::rect(lineLeft, 1200, lineWidth, 495),
     "To set the time for the left and the right player, use SET button.", palerYellow,
     std::nullopt, LineFont::Body},
    {"Label4", twips::rect(lineLeft, 1680, lineWidth, 855),
     "To start the game, push the button with the ARROW. It is very like to any material chess "
     "clock. Remember, that the player who is NOT moving first must push the button on his side.",
     paleYellow, std::nullopt, LineFont::Body},
    {"Label5", twips::rect(lineLeft, 2520, lineWidth, 495),
     "To reset the last settings and start the game anew, push the RESET button.", palerYellow,
     std::nullopt, LineFont::Body},
    {"Label6", twips::rect(lineLeft, 3000, lineWidth, 615),
     "Hint: one player can use SPACE as a starting/push down button while the other can use left "
     "mouse BUTTON for this purpose.",
     paleYellow, darkRed, LineFont::Body},
}};

QFont lineFont(LineFont which)
{
    constexpr double headingPoints = 12.0;
    constexpr double bodyPoints = 8.25;
    if (which == LineFont::Heading) {
        return designstyle::font("Courier New", headingPoints, {.underline = true});
    }
    return designstyle::font("Arial", bodyPoints);
}

} // namespace

Help::Help(QWidget* parent) : QWidget(parent, Qt::Window)
{
    // A plain top-level widget, so that Esc does nothing here, yet a window to screen readers;
    // set before anything makes the window known to them.
    setAccessibleRole(staticMetaObject, QAccessible::Window);
    setObjectName(QStringLiteral("Help"));
    setWindowTitle(QStringLiteral("General Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    designstyle::paint(*this, std::nullopt, white);
    resize(helpSize);
    placement::centreWhenFirstShown(*this);
    createLabels();
    createButton();
    describeForScreenReaders(*this, {{"Command1", nullptr, "Close the help window"}});
}

void Help::createLabels()
{
    // Children without a layout: resizing the window leaves every line where it is.
    for (const HelpLine& line : helpLines) {
        QLabel* label =
            designstyle::label(*this, line.name, line.geometry, QString::fromLatin1(line.text),
                               Qt::AlignLeft | Qt::AlignTop, designstyle::Wrap::AtWords);
        label->setFont(lineFont(line.font));
        designstyle::paint(*label, line.textColour, line.background);
    }
}

void Help::createButton()
{
    constexpr double buttonPoints = 14.25;
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips::rect(3840, 3840, 615, 375));
    Command1->setFont(designstyle::font("Times New Roman", buttonPoints));
    // Neither Enter nor Esc belongs to this button: the window has no default or cancel key.
    Command1->setAutoDefault(false);
    Command1->setDefault(false);
    Command1->setFocus();
    connect(Command1, &QPushButton::clicked, this, &Help::Command1_Click);
}

void Help::Command1_Click()
{
    hide();
}
