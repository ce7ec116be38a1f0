#pragma once

#include <QColor>
#include <QFont>

#include <optional>

class QLabel;
class QRect;
class QWidget;

// The looks that the window designs give their controls: fonts by face and point size, and
// colours of text and background.
namespace designstyle {

enum class Weight
{
    Regular,
    Bold
};

struct FontStyle
{
    Weight weight = Weight::Regular;
    bool italic = false;
    bool underline = false;
    // What to fall back to where the face is not installed.
    QFont::StyleHint hint = QFont::AnyStyle;
};

QFont font(const char* family, qreal points, const FontStyle& style = {});

enum class Wrap
{
    None,
    AtWords
};

// One of a design's labels: its name, place, plain text and alignment; laid out by nobody.
QLabel* label(QWidget& parent, const char* name, const QRect& geometry, const QString& text,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop, Wrap wrap = Wrap::None);

// Reads the desktop's fonts and looks up the stand-in for the designs' main face, which the
// desktop may not have: the work a first text would otherwise wait for. Safe on any thread.
void prepareFonts();

// A control's text colour (none: the application palette's text colour) and, for an opaque control,
// its background; no background leaves it transparent, so that whatever lies below shows
// through around its text.
void paint(QWidget& control, std::optional<QColor> text, std::optional<QColor> background);

} // namespace designstyle
