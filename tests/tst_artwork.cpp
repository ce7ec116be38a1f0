// The pictures compiled into the program: each must load through the image plugins that are
// actually present, have the size the window lays out for it and carry real artwork rather
// than a flat stand-in; the background must be the light-and-dark board the labels sit on.

#include <artwork.h>

#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QtTest>

#include <algorithm>
#include <array>
#include <vector>

namespace {

// The picture, or a null image with the reader's reason in the log.
QImage readPicture(const QString& path)
{
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        qWarning("%s: %s", qPrintable(path), qPrintable(reader.errorString()));
    }
    return image;
}

// Median of each channel over a patch: thin veins crossing the patch do not move it.
QRgb medianColour(const QImage& image, const QRect& patch)
{
    std::array<std::vector<int>, 3> channels;
    for (int y = patch.top(); y <= patch.bottom(); ++y) {
        for (int x = patch.left(); x <= patch.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            channels[0].push_back(qRed(pixel));
            channels[1].push_back(qGreen(pixel));
            channels[2].push_back(qBlue(pixel));
        }
    }
    std::array<int, 3> medians{};
    for (std::size_t c = 0; c < channels.size(); ++c) {
        auto middle = channels[c].begin() + static_cast<std::ptrdiff_t>(channels[c].size() / 2);
        std::nth_element(channels[c].begin(), middle, channels[c].end());
        medians[c] = *middle;
    }
    return qRgb(medians[0], medians[1], medians[2]);
}

QString describe(QRgb colour)
{
    return QStringLiteral("(%1, %2, %3)").arg(qRed(colour)).arg(qGreen(colour)).arg(qBlue(colour));
}

} // namespace

class TestArtwork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Without these plugins every picture silently comes out empty in the windows.
        const QList<QByteArray> formats = QImageReader::supportedImageFormats();
        QVERIFY2(formats.contains("jpeg"), "no JPEG image plugin");
        QVERIFY2(formats.contains("png"), "no PNG image plugin");
    }

    void picture_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");

        QTest::newRow("background") << QString(artwork::backgroundPath) << artwork::backgroundSize;
        QTest::newRow("icon") << QString(artwork::iconPath) << artwork::iconSize;
        QTest::newRow("banner1") << QString(artwork::banner1Path) << artwork::banner1Size;
        QTest::newRow("banner2") << QString(artwork::banner2Path) << artwork::banner2Size;
        QTest::newRow("banner3") << QString(artwork::banner3Path) << artwork::banner3Size;
    }

    void picture()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);

        const QImage image = readPicture(path);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), size);

        // A stand-in is one or two flat colours; any real drawing has many colours and a wide
        // range of lightness.
        constexpr int fewestColours = 32;
        constexpr int narrowestLightnessRange = 40;
        QSet<QRgb> colours;
        int darkest = 255;
        int lightest = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) == 0) {
                    continue;
                }
                colours.insert(pixel);
                darkest = std::min(darkest, qGray(pixel));
                lightest = std::max(lightest, qGray(pixel));
            }
        }
        QVERIFY2(colours.size() >= fewestColours,
                 qPrintable(QStringLiteral("only %1 colours").arg(colours.size())));
        QVERIFY2(
            lightest - darkest >= narrowestLightnessRange,
            qPrintable(QStringLiteral("lightness only from %1 to %2").arg(darkest).arg(lightest)));
    }

    void backgroundSquares_data()
    {
        QTest::addColumn<int>("row");
        for (int row = 0; row < artwork::backgroundRows; ++row) {
            QTest::addRow("row %d", row) << row;
        }
    }

    void backgroundSquares()
    {
        QFETCH(int, row);

        const QImage image = readPicture(artwork::backgroundPath);
        QVERIFY(!image.isNull());

        // JPEG and the faint clouding of the stone move a flat square by a few levels at most; the
        // two greys lie 36 levels apart, so a square of the wrong grey cannot pass.
        constexpr int tolerance = 10;
        constexpr int patchRadius = 6;
        for (int column = 0; column < artwork::backgroundColumns; ++column) {
            const QPoint centre = artwork::backgroundSquare(column, row).center();
            const QRect patch(centre - QPoint(patchRadius, patchRadius),
                              QSize(2 * patchRadius + 1, 2 * patchRadius + 1));
            const QRgb seen = medianColour(image, patch);
            const QRgb wanted = artwork::backgroundSquareIsDark(column, row)
                                    ? artwork::backgroundDarkGrey
                                    : artwork::backgroundLightGrey;
            const bool close = std::abs(qRed(seen) - qRed(wanted)) <= tolerance &&
                               std::abs(qGreen(seen) - qGreen(wanted)) <= tolerance &&
                               std::abs(qBlue(seen) - qBlue(wanted)) <= tolerance;
            QVERIFY2(close, qPrintable(QStringLiteral("square %1,%2 is %3, wanted %4")
                                           .arg(column)
                                           .arg(row)
                                           .arg(describe(seen), describe(wanted))));
        }
    }

    void icon()
    {
        const QImage image = readPicture(artwork::iconPath);
        QVERIFY(!image.isNull());
        // A 256-colour picture with see-through corners, so no square shows around the clock.
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QVERIFY(image.colorCount() <= 256);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);

        const QIcon icon = artwork::applicationIcon();
        QVERIFY(!icon.isNull());
        QVERIFY(icon.availableSizes().contains(artwork::iconSize));
        const QImage shown = icon.pixmap(artwork::iconSize).toImage();
        QCOMPARE(shown.size(), artwork::iconSize);
        QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
};

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
