#include "pictures.h"

#include <QPaintEvent>
#include <QPainter>

PictureArea::PictureArea(const QString& picture, QWidget* parent)
    : QWidget(parent), m_picture(picture)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureArea::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRegion uncovered =
        QRegion(event->rect()) - QRegion(QRect(QPoint(0, 0), m_picture.size()));
    for (const QRect& rect : uncovered) {
        painter.fillRect(rect, palette().brush(QPalette::Dark));
    }
    painter.drawPixmap(QPoint(0, 0), m_picture);
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(contentsRect().topLeft(), pixmap());
}
