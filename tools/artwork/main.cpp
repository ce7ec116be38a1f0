// Paints every picture the program ships: the window background, the application icon in its
// sizes and the three banner pictures. Everything is drawn from fixed seeds and fixed fonts, so
// two runs write the same files and the pictures can be remade whenever the drawing changes.
//
// Usage: ostrevane_artwork <output-dir>

#include <artwork.h>

#include <QColor>
#include <QDir>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRadialGradient>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <vector>

namespace {

constexpr int backgroundJpegQuality = 95;
constexpr int bannerJpegQuality = 90;
constexpr std::array desktopIconSizes{48, 64, 128, 256};

// The standard library's distributions differ between implementations; this generator and its
// arithmetic are spelt out so that every build paints the same pixels.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        // splitmix64
        std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    // Uniform in [low, high).
    double uniform(double low, double high)
    {
        constexpr double twoToThe53 = 9007199254740992.0;
        return low + (high - low) * static_cast<double>(next() >> 11) / twoToThe53;
    }

private:
    std::uint64_t m_state;
};

// Fonts are asked for by name; a silent substitute would change the pictures from one machine
// to the next, so a missing face stops the generator.
QFont requireFont(const QStringList& families, int pixelSize, QFont::Weight weight,
                  bool italic = false)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    const QString resolved = QFontInfo(font).family();
    if (!families.contains(resolved)) {
        QTextStream(stderr) << "ostrevane_artwork: none of the fonts " << families.join(", ")
                            << " is installed (got " << resolved << ")\n";
        std::exit(EXIT_FAILURE);
    }
    return font;
}

QFont sansFont(int pixelSize, QFont::Weight weight = QFont::Normal, bool italic = false)
{
    return requireFont({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")},
                       pixelSize, weight, italic);
}

QFont serifFont(int pixelSize, QFont::Weight weight = QFont::Normal, bool italic = false)
{
    return requireFont({QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Serif")},
                       pixelSize, weight, italic);
}

// The largest sans font, up to the given size, in which the text fits the width.
QFont fittedFont(const QString& text, double width, int largestPixelSize, QFont::Weight weight)
{
    constexpr int smallestPixelSize = 8;
    for (int size = largestPixelSize; size > smallestPixelSize; --size) {
        const QFont font = sansFont(size, weight);
        if (QFontMetricsF(font).horizontalAdvance(text) <= width) {
            return font;
        }
    }
    return sansFont(smallestPixelSize, weight);
}

// ---------------------------------------------------------------------------------------------
// Background: a dark marble chequerboard.

// One vein as a polyline: the straight line between its ends, bent again and again by
// displacing each midpoint sideways by a share of the segment's length. The share shrinks at
// the finer levels, so a vein wanders widely but its course stays smooth.
std::vector<QPointF> veinLine(QPointF from, QPointF to, int depth, double roughness, Random& random)
{
    constexpr double roughnessDecay = 0.8;
    std::vector<QPointF> points{from, to};
    for (int level = 0; level < depth; ++level) {
        std::vector<QPointF> refined;
        refined.reserve(points.size() * 2);
        for (std::size_t i = 0; i + 1 < points.size(); ++i) {
            const QPointF a = points[i];
            const QPointF b = points[i + 1];
            const QPointF along = b - a;
            const double length = std::hypot(along.x(), along.y());
            const QPointF normal =
                length > 0 ? QPointF(-along.y(), along.x()) / length : QPointF(0, 0);
            const double shift = random.uniform(-roughness, roughness) * length;
            refined.push_back(a);
            refined.push_back((a + b) / 2 + normal * shift);
        }
        refined.push_back(points.back());
        points = std::move(refined);
        roughness *= roughnessDecay;
    }
    return points;
}

struct VeinStyle
{
    QColor colour;
    double coreWidth;
    int coreAlpha;
    double hazeWidth;
    int hazeAlpha;
};

// Real veins swell and thin along their course: the width follows a slow random wave and
// tapers to nothing at both ends.
void strokeVein(QPainter& painter, const std::vector<QPointF>& points, const VeinStyle& style,
                Random& random)
{
    const double phase = random.uniform(0, 2 * std::numbers::pi);
    const double waves = random.uniform(1.5, 4.0);
    const auto count = static_cast<double>(points.size() - 1);
    const auto widthAt = [&](std::size_t i) {
        const double t = static_cast<double>(i) / count;
        const double taper = std::min(1.0, std::min(t, 1.0 - t) * 8.0);
        const double swell = 0.55 + 0.45 * std::sin(phase + t * waves * 2 * std::numbers::pi);
        return taper * swell;
    };

    QPainterPath path(points.front());
    for (std::size_t i = 1; i < points.size(); ++i) {
        path.lineTo(points[i]);
    }
    QColor haze = style.colour;
    haze.setAlpha(style.hazeAlpha);
    painter.setPen(QPen(haze, style.hazeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);

    QColor core = style.colour;
    core.setAlpha(style.coreAlpha);
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const double width = style.coreWidth * widthAt(i);
        if (width < 0.15) {
            continue;
        }
        painter.setPen(QPen(core, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(points[i], points[i + 1]);
    }
}

// Main veins run right across the picture, all at roughly the same slant as veins do through
// a marble slab; thinner side veins split off them and die out.
void paintVeinFamily(QPainter& painter, const VeinStyle& mainStyle, const VeinStyle& sideStyle,
                     int count, double slant, Random& random)
{
    const double width = artwork::backgroundSize.width();
    const double height = artwork::backgroundSize.height();
    const double spread = width * (1 + std::abs(slant));
    for (int v = 0; v < count; ++v) {
        // Spread the starts evenly, so that the veins do not bunch up.
        const double startX =
            -std::max(0.0, slant) * width + (v + random.uniform(0.2, 0.8)) / count * spread;
        const QPointF from(startX, -10);
        const QPointF to(startX + slant * width + random.uniform(-0.1, 0.1) * width, height + 10);
        const std::vector<QPointF> vein = veinLine(from, to, 7, 0.2, random);
        strokeVein(painter, vein, mainStyle, random);

        const int sideVeins = 1 + static_cast<int>(random.uniform(0, 3));
        for (int s = 0; s < sideVeins; ++s) {
            const auto start = static_cast<std::size_t>(random.uniform(0.15, 0.85) *
                                                        static_cast<double>(vein.size()));
            const QPointF origin = vein[start];
            const QPointF course = vein[std::min(start + 8, vein.size() - 1)] - origin;
            const double angle = std::atan2(course.y(), course.x()) +
                                 random.uniform(0.3, 0.9) * (random.uniform(0, 1) < 0.5 ? -1 : 1);
            const double reach = random.uniform(40, 110);
            const QPointF end = origin + QPointF(std::cos(angle), std::sin(angle)) * reach;
            strokeVein(painter, veinLine(origin, end, 5, 0.25, random), sideStyle, random);
        }
    }
}

// Smooth value noise on a lattice, for the faint clouding in the stone.
double latticeValue(int x, int y, std::uint64_t seed)
{
    Random hash(seed ^ (static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 32) ^
                static_cast<std::uint32_t>(y));
    return hash.uniform(0, 1);
}

double valueNoise(double x, double y, std::uint64_t seed)
{
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const auto smooth = [](double t) {
        return t * t * (3 - 2 * t);
    };
    const double fx = smooth(x - x0);
    const double fy = smooth(y - y0);
    const double top = std::lerp(latticeValue(x0, y0, seed), latticeValue(x0 + 1, y0, seed), fx);
    const double bottom =
        std::lerp(latticeValue(x0, y0 + 1, seed), latticeValue(x0 + 1, y0 + 1, seed), fx);
    return std::lerp(top, bottom, fy);
}

// A cloud of olive and of shadow a few levels deep: enough to read as stone, too little to
// move a square away from its grey.
void paintClouding(QImage& image, std::uint64_t seed)
{
    constexpr double scale = 1.0 / 60.0;
    constexpr double maximumShift = 4.0;
    const QColor olive(73, 73, 0);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            double n = 0;
            double amplitude = 0.5;
            double frequency = scale;
            for (int octave = 0; octave < 4; ++octave) {
                n += amplitude * valueNoise(x * frequency, y * frequency * 1.6, seed + octave);
                amplitude /= 2;
                frequency *= 2;
            }
            // n lies in [0, 0.94); above the middle the stone turns olive, below it darkens.
            const double t = std::clamp((n - 0.47) * 2.5, -1.0, 1.0);
            const QRgb pixel = line[x];
            int red = qRed(pixel);
            int green = qGreen(pixel);
            int blue = qBlue(pixel);
            if (t > 0) {
                // No channel of either grey lies further than 73 levels from olive.
                const double share = t * maximumShift / 73.0;
                red = static_cast<int>(std::lround(std::lerp(red, olive.red(), share)));
                green = static_cast<int>(std::lround(std::lerp(green, olive.green(), share)));
                blue = static_cast<int>(std::lround(std::lerp(blue, olive.blue(), share)));
            } else {
                const int shade = static_cast<int>(std::lround(-t * maximumShift / 2));
                red -= shade;
                green -= shade;
                blue -= shade;
            }
            line[x] = qRgb(red, green, blue);
        }
    }
}

QImage paintBackground()
{
    QImage image(artwork::backgroundSize, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int row = 0; row < artwork::backgroundRows; ++row) {
        for (int column = 0; column < artwork::backgroundColumns; ++column) {
            const QRgb grey = artwork::backgroundSquareIsDark(column, row)
                                  ? artwork::backgroundDarkGrey
                                  : artwork::backgroundLightGrey;
            painter.fillRect(artwork::backgroundSquare(column, row), QColor(grey));
        }
    }

    painter.end();
    paintClouding(image, 0xc10d5eedULL);

    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    Random random(0x05eed0fba5e11e5ULL);
    const QColor olive(73, 73, 0);
    const QColor black(0, 0, 0);
    constexpr double slant = 0.45;
    paintVeinFamily(painter, {olive, 1.8, 160, 6.0, 22}, {olive, 1.0, 120, 3.0, 16}, 5, slant,
                    random);
    paintVeinFamily(painter, {black, 1.5, 140, 5.0, 26}, {black, 0.9, 110, 2.5, 18}, 3, slant,
                    random);
    // Faint hairlines between the veins, for the grain of the stone.
    paintVeinFamily(painter, {olive, 0.7, 90, 2.0, 10}, {black, 0.5, 70, 1.5, 8}, 6, slant, random);
    painter.end();
    return image;
}

// ---------------------------------------------------------------------------------------------
// The application icon: a chess clock, two faces in a wooden case, with the button of the
// running side up and the other pressed down.

void paintClockFace(QPainter& painter, QPointF centre, double radius, double hourAngle,
                    double minuteAngle, bool flag, bool detailed)
{
    // Bezel, then the dial inset in it.
    QRadialGradient bezel(centre - QPointF(radius * 0.4, radius * 0.4), radius * 1.6);
    bezel.setColorAt(0, QColor(235, 225, 190));
    bezel.setColorAt(1, QColor(150, 120, 50));
    painter.setPen(QPen(QColor(60, 40, 15), detailed ? 0.5 : 1.0));
    painter.setBrush(bezel);
    painter.drawEllipse(centre, radius, radius);

    const double dialRadius = radius - (detailed ? 1.0 : 1.5);
    QRadialGradient dial(centre - QPointF(dialRadius * 0.3, dialRadius * 0.3), dialRadius * 1.5);
    dial.setColorAt(0, QColor(255, 255, 252));
    dial.setColorAt(1, QColor(222, 218, 205));
    painter.setPen(Qt::NoPen);
    painter.setBrush(dial);
    painter.drawEllipse(centre, dialRadius, dialRadius);

    const auto pointAt = [&](double angleDegrees, double distance) {
        const double radians = (angleDegrees - 90) * std::numbers::pi / 180;
        return centre + QPointF(std::cos(radians), std::sin(radians)) * distance;
    };

    if (detailed) {
        for (int hour = 0; hour < 12; ++hour) {
            const bool quarter = hour % 3 == 0;
            painter.setPen(
                QPen(QColor(40, 40, 40), quarter ? 0.55 : 0.3, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(pointAt(hour * 30, dialRadius * (quarter ? 0.68 : 0.78)),
                             pointAt(hour * 30, dialRadius * 0.92));
        }
    }

    if (flag) {
        // The little red flag that the minute hand lifts and drops at the full hour.
        QPainterPath pennant;
        const QPointF tip = pointAt(0, dialRadius * 0.86);
        pennant.moveTo(tip + QPointF(-dialRadius * 0.05, 0));
        pennant.lineTo(tip + QPointF(dialRadius * 0.38, dialRadius * 0.05));
        pennant.lineTo(tip + QPointF(-dialRadius * 0.05, dialRadius * 0.30));
        pennant.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(200, 30, 30));
        painter.drawPath(pennant);
    }

    const QColor hands(20, 20, 20);
    const Qt::PenCapStyle cap = detailed ? Qt::RoundCap : Qt::SquareCap;
    painter.setPen(QPen(hands, detailed ? 0.9 : 1.0, Qt::SolidLine, cap));
    painter.drawLine(centre, pointAt(hourAngle, dialRadius * (detailed ? 0.5 : 0.55)));
    painter.setPen(QPen(hands, detailed ? 0.6 : 1.0, Qt::SolidLine, cap));
    painter.drawLine(centre, pointAt(minuteAngle, dialRadius * 0.8));
    if (detailed) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(hands);
        painter.drawEllipse(centre, 0.6, 0.6);
    }
}

void paintPushButton(QPainter& painter, double centreX, double caseTop, bool raised, bool detailed)
{
    const double stemHeight = raised ? 4.5 : 1.5;
    const double capWidth = 9.0;
    const double capHeight = 3.0;
    const double capTop = caseTop - stemHeight - capHeight;

    QLinearGradient stem(centreX - 1, 0, centreX + 1, 0);
    stem.setColorAt(0, QColor(120, 120, 125));
    stem.setColorAt(0.5, QColor(230, 230, 235));
    stem.setColorAt(1, QColor(110, 110, 115));
    painter.setPen(Qt::NoPen);
    painter.setBrush(stem);
    painter.drawRect(QRectF(centreX - 1.1, capTop + capHeight - 0.2, 2.2, stemHeight + 0.4));

    QLinearGradient cap(0, capTop, 0, capTop + capHeight);
    cap.setColorAt(0, QColor(250, 225, 130));
    cap.setColorAt(1, QColor(175, 130, 35));
    painter.setPen(QPen(QColor(90, 60, 10), detailed ? 0.4 : 0.7));
    painter.setBrush(cap);
    painter.drawRoundedRect(QRectF(centreX - capWidth / 2, capTop, capWidth, capHeight), 1.0, 1.0);
}

// Drawn on a 32 x 32 grid scaled to the wanted size, so every size is painted from the shapes
// rather than enlarged from pixels; sizes above the smallest also get the dial marks.
QImage paintIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    constexpr double grid = 32.0;
    painter.scale(size / grid, size / grid);
    const bool detailed = size >= 48;

    // Coordinates sit on pixel centres, so that at 32 pixels the outlines fall on whole pixels.
    constexpr double caseTop = 11.5;
    constexpr double leftClockX = 8.5;
    constexpr double rightClockX = 23.5;

    paintPushButton(painter, leftClockX, caseTop, true, detailed);
    paintPushButton(painter, rightClockX, caseTop, false, detailed);

    // The case, slightly wider at the foot, in polished mahogany.
    QPainterPath casePath;
    casePath.moveTo(2.5, caseTop);
    casePath.lineTo(29.5, caseTop);
    casePath.quadTo(30.5, caseTop, 30.6, caseTop + 1);
    casePath.lineTo(31.5, 28.5);
    casePath.quadTo(31.5, 29.5, 30.5, 29.5);
    casePath.lineTo(1.5, 29.5);
    casePath.quadTo(0.5, 29.5, 0.5, 28.5);
    casePath.lineTo(1.4, caseTop + 1);
    casePath.quadTo(1.5, caseTop, 2.5, caseTop);
    QLinearGradient wood(0, caseTop, 0, 29.5);
    wood.setColorAt(0, QColor(186, 98, 48));
    wood.setColorAt(0.45, QColor(150, 70, 30));
    wood.setColorAt(1, QColor(96, 42, 18));
    painter.setPen(QPen(QColor(55, 25, 8), detailed ? 0.6 : 1.0));
    painter.setBrush(wood);
    painter.drawPath(casePath);

    if (detailed) {
        // A highlight along the top edge of the case.
        painter.setPen(QPen(QColor(235, 170, 120, 150), 0.5));
        painter.drawLine(QPointF(2.8, caseTop + 0.7), QPointF(29.2, caseTop + 0.7));
    }

    constexpr double faceY = 20.5;
    constexpr double faceRadius = 6.5;
    if (detailed) {
        // Left clock near 10:10; right clock at ten to twelve with its flag up.
        paintClockFace(painter, {leftClockX, faceY}, faceRadius, 305, 60, false, true);
        paintClockFace(painter, {rightClockX, faceY}, faceRadius, 355, 300, true, true);
    } else {
        // Hands along the pixel rows and columns stay sharp at the smallest size: nine o'clock
        // on the left, three on the right.
        paintClockFace(painter, {leftClockX, faceY}, faceRadius, 270, 0, false, false);
        paintClockFace(painter, {rightClockX, faceY}, faceRadius, 90, 0, false, false);
    }
    painter.end();
    return image;
}

// The window icon is a 256-colour picture. Qt's own reduction dithers the antialiased edges
// into speckles, so the palette is chosen here by median cut over the colours the icon uses
// (alpha counted as a channel, so soft edges stay soft) and each pixel takes the nearest entry.
QImage toIndexedIcon(const QImage& icon)
{
    constexpr int paletteSize = 256;
    const QImage argb = icon.convertToFormat(QImage::Format_ARGB32);

    const auto channel = [](QRgb colour, int which) {
        return static_cast<int>((colour >> (8 * which)) & 0xff);
    };
    // Fully transparent pixels share entry 0; the other colours are cut into the rest.
    std::vector<QRgb> opaque;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 0) {
                opaque.push_back(line[x]);
            }
        }
    }

    using Box = std::vector<QRgb>;
    std::vector<Box> boxes{opaque};
    const auto widestChannel = [&](const Box& box, int& range) {
        int best = 0;
        range = -1;
        for (int which = 0; which < 4; ++which) {
            const auto [low, high] =
                std::minmax_element(box.begin(), box.end(), [&](QRgb a, QRgb b) {
                    return channel(a, which) < channel(b, which);
                });
            const int extent = channel(*high, which) - channel(*low, which);
            if (extent > range) {
                range = extent;
                best = which;
            }
        }
        return best;
    };
    while (static_cast<int>(boxes.size()) < paletteSize - 1) {
        int chosen = -1;
        int chosenRange = 0;
        int chosenChannel = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            int range = 0;
            const int which = widestChannel(boxes[i], range);
            if (boxes[i].size() > 1 && range > chosenRange) {
                chosen = static_cast<int>(i);
                chosenRange = range;
                chosenChannel = which;
            }
        }
        if (chosen < 0) {
            break;
        }
        Box& box = boxes[static_cast<std::size_t>(chosen)];
        std::sort(box.begin(), box.end(), [&](QRgb a, QRgb b) {
            const int ca = channel(a, chosenChannel);
            const int cb = channel(b, chosenChannel);
            return ca != cb ? ca < cb : a < b;
        });
        const auto middle = box.begin() + static_cast<std::ptrdiff_t>(box.size() / 2);
        Box upper(middle, box.end());
        box.erase(middle, box.end());
        boxes.push_back(std::move(upper));
    }

    QList<QRgb> palette{qRgba(0, 0, 0, 0)};
    for (const Box& box : boxes) {
        if (box.empty()) {
            continue;
        }
        std::array<double, 4> sum{};
        for (const QRgb colour : box) {
            for (int which = 0; which < 4; ++which) {
                sum[static_cast<std::size_t>(which)] += channel(colour, which);
            }
        }
        const auto mean = [&](int which) {
            return static_cast<QRgb>(std::lround(sum[static_cast<std::size_t>(which)] /
                                                 static_cast<double>(box.size())));
        };
        palette.push_back(mean(3) << 24 | mean(2) << 16 | mean(1) << 8 | mean(0));
    }

    QImage indexed(argb.size(), QImage::Format_Indexed8);
    indexed.setColorTable(palette);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* target = indexed.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            int nearest = 0;
            int nearestDistance = std::numeric_limits<int>::max();
            for (int entry = 0; entry < palette.size(); ++entry) {
                int distance = 0;
                for (int which = 0; which < 4; ++which) {
                    const int d = channel(line[x], which) - channel(palette[entry], which);
                    distance += d * d;
                }
                if (distance < nearestDistance) {
                    nearestDistance = distance;
                    nearest = entry;
                }
            }
            target[x] = static_cast<uchar>(nearest);
        }
    }
    return indexed;
}

// ---------------------------------------------------------------------------------------------
// Banners. The strip's boxes clip a few pixels off the right edge and the bottom rows of the
// pictures, so the drawings keep clear of those margins.

constexpr int bannerRightMargin = 8;
constexpr int bannerBottomMargin = 3;

QImage paintBanner1()
{
    QImage image(artwork::banner1Size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF area(0, 0, image.width(), image.height());

    QLinearGradient sky(0, 0, 0, area.height());
    sky.setColorAt(0, QColor(34, 56, 92));
    sky.setColorAt(1, QColor(14, 26, 48));
    painter.fillRect(area, sky);

    // A faint board fading in towards the right.
    constexpr int square = 14;
    for (int y = 0; y * square < image.height(); ++y) {
        for (int x = 0; x * square < image.width(); ++x) {
            if ((x + y) % 2 == 0) {
                continue;
            }
            const double fade = std::clamp((x * square - 280.0) / 180.0, 0.0, 1.0);
            painter.fillRect(QRectF(x * square, y * square, square, square),
                             QColor(255, 255, 255, static_cast<int>(22 * fade)));
        }
    }

    constexpr int iconSize = 48;
    const QImage icon = paintIcon(iconSize);
    painter.drawImage(QPointF(10, (area.height() - iconSize) / 2), icon);

    constexpr double textLeft = 70;
    painter.setFont(serifFont(27, QFont::Bold));
    painter.setPen(QColor(0, 0, 0, 120));
    painter.drawText(QPointF(textLeft + 1, 29), QStringLiteral("Corvatine"));
    painter.setPen(QColor(240, 205, 110));
    painter.drawText(QPointF(textLeft, 28), QStringLiteral("Corvatine"));

    painter.setFont(sansFont(13));
    painter.setPen(QColor(214, 224, 240));
    painter.drawText(QPointF(textLeft + 1, 47),
                     QStringLiteral("the chess clock for two players at one computer"));
    painter.end();
    return image;
}

// A chess piece: the solid glyph filled in the piece's colour, the outline glyph over it for
// the inner lines. Black pieces get light inner lines and a black rim, so they stand out on the
// dark squares too. The font's knights face left; mirrored, a piece faces right.
void paintPiece(QPainter& painter, QPointF baseCentre, QChar solid, QChar outline, bool white,
                bool mirrored, const QFont& font)
{
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(solid);
    painter.save();
    painter.translate(baseCentre);
    if (mirrored) {
        painter.scale(-1, 1);
    }
    const QPointF origin(-width / 2, 0);
    constexpr double shadowOffset = 1.5;
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 0, 70));
    painter.drawText(origin + QPointF(mirrored ? -shadowOffset : shadowOffset, shadowOffset),
                     QString(solid));
    painter.setPen(white ? QColor(250, 248, 240) : QColor(30, 28, 26));
    painter.drawText(origin, QString(solid));
    painter.setPen(white ? QColor(40, 36, 30) : QColor(150, 142, 130));
    painter.drawText(origin, QString(outline));
    if (!white) {
        QPainterPath rim;
        rim.addText(origin, font, QString(solid));
        painter.strokePath(rim, QPen(QColor(20, 18, 16), 1.2));
    }
    painter.restore();
}

QImage paintBanner2()
{
    QImage image(artwork::banner2Size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // One rank of a board across the whole strip: the left player's pieces on the left half
    // facing the right player's on the right, as the two sides face each other over the clock.
    constexpr int files = 8;
    const double visibleHeight = image.height() - bannerBottomMargin;
    const double squareWidth = static_cast<double>(image.width()) / files;
    for (int file = 0; file < files; ++file) {
        const bool light = file % 2 == 0;
        QLinearGradient shade(0, 0, 0, image.height());
        shade.setColorAt(0, light ? QColor(244, 224, 190) : QColor(188, 140, 98));
        shade.setColorAt(1, light ? QColor(222, 196, 156) : QColor(150, 104, 66));
        painter.fillRect(QRectF(file * squareWidth, 0, squareWidth + 1, image.height()), shade);
    }

    // Solid glyphs for king, queen, rook, bishop, knight; the outline glyphs sit six below.
    constexpr char16_t king = u'\u265A';
    constexpr char16_t queen = u'\u265B';
    constexpr char16_t rook = u'\u265C';
    constexpr char16_t bishop = u'\u265D';
    constexpr char16_t knight = u'\u265E';
    constexpr char16_t outlineOffset = 6;
    constexpr std::array<char16_t, files> backRank{rook, knight, bishop, queen,
                                                   king, bishop, knight, rook};
    const QFont pieceFont = sansFont(46);
    for (int file = 0; file < files; ++file) {
        const QChar solid(backRank[file]);
        const QChar outline(static_cast<char16_t>(backRank[file] - outlineOffset));
        const QPointF base((file + 0.5) * squareWidth, visibleHeight - 9);
        const bool white = file < files / 2;
        paintPiece(painter, base, solid, outline, white, white, pieceFont);
    }

    // A thin dark line along the top, where the strip meets the menu bar.
    painter.setPen(QPen(QColor(90, 60, 30), 1));
    painter.drawLine(QPointF(0, 0.5), QPointF(image.width(), 0.5));
    painter.end();
    return image;
}

// An outlined arrow like those on the program's push buttons, pointing right or left.
void paintArrow(QPainter& painter, QPointF centre, double length, double height, bool right)
{
    const double shaft = height * 0.42;
    const double headLength = length * 0.45;
    const double direction = right ? 1 : -1;
    const double tail = centre.x() - direction * length / 2;
    const double neck = centre.x() + direction * (length / 2 - headLength);
    const double tip = centre.x() + direction * length / 2;
    QPainterPath arrow;
    arrow.moveTo(tail, centre.y() - shaft / 2);
    arrow.lineTo(neck, centre.y() - shaft / 2);
    arrow.lineTo(neck, centre.y() - height / 2);
    arrow.lineTo(tip, centre.y());
    arrow.lineTo(neck, centre.y() + height / 2);
    arrow.lineTo(neck, centre.y() + shaft / 2);
    arrow.lineTo(tail, centre.y() + shaft / 2);
    arrow.closeSubpath();
    painter.setPen(QPen(QColor(250, 210, 90), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(QColor(250, 210, 90, 40));
    painter.drawPath(arrow);
}

QImage paintBanner3()
{
    QImage image(artwork::banner3Size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF area(0, 0, image.width(), image.height());
    const QRectF visible(0, 0, image.width() - bannerRightMargin,
                         image.height() - bannerBottomMargin);

    QLinearGradient slate(0, 0, 0, area.height());
    slate.setColorAt(0, QColor(72, 30, 36));
    slate.setColorAt(1, QColor(38, 14, 20));
    painter.fillRect(area, slate);

    constexpr double arrowLength = 44;
    constexpr double arrowHeight = 30;
    constexpr double arrowInset = 36;
    const double middleY = visible.center().y();
    paintArrow(painter, {arrowInset, middleY}, arrowLength, arrowHeight, true);
    paintArrow(painter, {visible.right() - arrowInset, middleY}, arrowLength, arrowHeight, false);

    constexpr double arrowGap = 10;
    const double textInset = arrowInset + arrowLength / 2 + arrowGap;
    const QRectF textBand = visible.adjusted(textInset, 0, -textInset, 0);
    const QString headline = QStringLiteral("Move made? Push your button.");
    painter.setFont(fittedFont(headline, textBand.width(), 19, QFont::Bold));
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(textBand.adjusted(0, 5, 0, -visible.height() / 2 + 6),
                     Qt::AlignHCenter | Qt::AlignBottom, headline);
    painter.setFont(sansFont(12));
    painter.setPen(QColor(240, 205, 200));
    painter.drawText(textBand.adjusted(0, visible.height() / 2 + 6, 0, 0),
                     Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("Space bar for one player, mouse for the other"));
    painter.end();
    return image;
}

bool save(const QImage& image, const QDir& directory, const QString& name, int quality = -1)
{
    const QString path = directory.filePath(name);
    QImageWriter writer(path);
    if (quality >= 0) {
        writer.setQuality(quality);
    }
    if (!writer.write(image)) {
        QTextStream(stderr) << "ostrevane_artwork: cannot write " << path << ": "
                            << writer.errorString() << '\n';
        return false;
    }
    QTextStream(stdout) << path << '\n';
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage: ostrevane_artwork <output-dir>\n";
        return EXIT_FAILURE;
    }
    const QDir directory(arguments.at(1));
    if (!directory.exists()) {
        QTextStream(stderr) << "ostrevane_artwork: no such folder: " << arguments.at(1) << '\n';
        return EXIT_FAILURE;
    }

    bool written =
        save(paintBackground(), directory, QStringLiteral("background.jpg"), backgroundJpegQuality);
    written &= save(toIndexedIcon(paintIcon(artwork::iconSize.width())), directory,
                    QStringLiteral("icon32.png"));
    for (const int size : desktopIconSizes) {
        written &= save(paintIcon(size).convertToFormat(QImage::Format_ARGB32), directory,
                        QStringLiteral("icon%1.png").arg(size));
    }
    written &= save(paintBanner1(), directory, QStringLiteral("banner1.jpg"), bannerJpegQuality);
    written &= save(paintBanner2(), directory, QStringLiteral("banner2.jpg"), bannerJpegQuality);
    written &= save(paintBanner3(), directory, QStringLiteral("banner3.jpg"), bannerJpegQuality);
    return written ? EXIT_SUCCESS : EXIT_FAILURE;
}
