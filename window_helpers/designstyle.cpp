#include "designstyle.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace designstyle {

namespace {
constexpr qreal defaultPoints = 9;
} // namespace

QFont font(const char* family, qreal points, const FontStyle& style)
{
    QFont font{QString::fromLatin1(family)};
    font.setStyleHint(style.hint);
    font.setPointSizeF(points);
    font.setBold(style.weight == Weight::Bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    return font;
}

QLabel* label(QWidget& parent, const char* name, const QRect& geometry, const QString& text,
              Qt::Alignment alignment, Wrap wrap)
{
    auto* label = new QLabel(&parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    label->setWordWrap(wrap == Wrap::AtWords);
    return label;
}

void prepareFonts()
{
    QFontDatabase::families();
    // The stand-ins found for a face are kept for the whole program; the font loaded here to
    // find them is this thread's own.
    QFontMetrics(font("Arial", defaultPoints, {.hint = QFont::SansSerif})).height();
}

void paint(QWidget& control, std::optional<QColor> text, std::optional<QColor> background)
{
    QPalette palette = control.palette();
    palette.setColor(QPalette::WindowText,
                     text.value_or(QApplication::palette().color(QPalette::WindowText)));
    if (background) {
        palette.setColor(QPalette::Window, *background);
    }
    control.setPalette(palette);
    control.setAutoFillBackground(background.has_value());
}

} // namespace designstyle
