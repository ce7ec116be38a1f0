#pragma once

#include <QRect>

// Window designs give positions and sizes in twips: 1/1440 inch, 15 to a pixel at 96 dots per
// inch. Every design value is a whole number of pixels, which the conversion enforces at compile
// time.
namespace twips {

inline constexpr int perPixel = 15;

consteval int px(int value)
{
    if (value % perPixel != 0) {
        throw "design value is not a whole number of pixels";
    }
    return value / perPixel;
}

consteval QRect rect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

consteval QSize size(int width, int height)
{
    return QSize(px(width), px(height));
}

} // namespace twips
