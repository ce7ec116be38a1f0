#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QRgb>
#include <QSize>

namespace artwork {

inline constexpr char backgroundPath[] = ":/artwork/background.jpg";
inline constexpr char iconPath[] = ":/artwork/icon32.png";
inline constexpr char banner1Path[] = ":/artwork/banner1.jpg";
inline constexpr char banner2Path[] = ":/artwork/banner2.jpg";
inline constexpr char banner3Path[] = ":/artwork/banner3.jpg";

inline constexpr QSize backgroundSize{567, 283};
inline constexpr QSize iconSize{32, 32};
inline constexpr QSize banner1Size{468, 58};
inline constexpr QSize banner2Size{468, 60};
inline constexpr QSize banner3Size{468, 60};

// Tooltips of the three banner pictures, in the order the strip shows them.
inline constexpr char banner1Tooltip[] =
    "Corvatine, the chess clock for two players at one computer";
inline constexpr char banner2Tooltip[] = "Every second counts: mind the clock as well as the board";
inline constexpr char banner3Tooltip[] = "Space bar for one player, mouse for the other";

// The background is a chequerboard; the artwork generator paints it from these and the tests
// check the picture against them.
inline constexpr int backgroundColumns = 8;
inline constexpr int backgroundRows = 6;
inline constexpr QRgb backgroundDarkGrey = qRgb(37, 37, 37);
inline constexpr QRgb backgroundLightGrey = qRgb(73, 73, 73);

// The top left square is dark.
constexpr bool backgroundSquareIsDark(int column, int row)
{
    return (column + row) % 2 == 0;
}

// Square edges are spread evenly over the picture, so the squares differ by a pixel at most.
constexpr QRect backgroundSquare(int column, int row)
{
    const int left = column * backgroundSize.width() / backgroundColumns;
    const int right = (column + 1) * backgroundSize.width() / backgroundColumns;
    const int top = row * backgroundSize.height() / backgroundRows;
    const int bottom = (row + 1) * backgroundSize.height() / backgroundRows;
    return QRect(left, top, right - left, bottom - top);
}

// The application icon: the window icon of the main window and the About window's picture.
QIcon applicationIcon();

} // namespace artwork
