#pragma once

#include <QLabel>
#include <QPixmap>
#include <QWidget>

// The client area: a picture at its natural size from the top left corner, the desktop's
// workspace colour wherever the window is larger than the picture. It never lays anything out.
class PictureArea : public QWidget
{
public:
    PictureArea(const QString& picture, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

// A picture box: its picture at its natural size from the top left corner, clipped to the box,
// pixels doubled sharp-edged at a display scale of 2 where a plain label would smooth them.
class PictureBox : public QLabel
{
public:
    explicit PictureBox(QWidget* parent) : QLabel(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;
};
