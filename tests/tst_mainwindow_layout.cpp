// The clock face as drawn: overlaps, stacking, arrows, menus, keyboard order and resizing.

#include "testsupport.h"

#include <artwork.h>

#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QRawFont>

namespace {

QImage grabClientArea(Form1& form)
{
    return form.centralWidget()->grab().toImage();
}

// Ink of a glyph drawn alone: for each column, how many rows differ from the background.
int tallestInkColumn(const QImage& image)
{
    const QRgb background = image.pixel(1, 1);
    int bestColumn = -1;
    int bestHeight = 0;
    for (int x = 0; x < image.width(); ++x) {
        int height = 0;
        for (int y = 0; y < image.height(); ++y) {
            height += qGray(image.pixel(x, y)) < qGray(background) - 60 ? 1 : 0;
        }
        if (height > bestHeight) {
            bestHeight = height;
            bestColumn = x;
        }
    }
    return bestColumn;
}

} // namespace

class MainWindowLayoutTest : public QObject, protected testsupport::ClockWindowFixture
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(openClockWindow()); }
    void cleanup() { closeClockWindow(); }

    void clientAreaIsThePicture()
    {
        QCOMPARE(form->centralWidget()->size(), QSize(567, 283));
        QCOMPARE(form->windowTitle(), QStringLiteral(" Corvatine"));
        QVERIFY(!form->windowIcon().isNull());
    }

    // Each colon lies over the right-hand 75 twips (5 px) of the digit box before it.
    void colonsOverlapTheirDigitBox_data()
    {
        QTest::addColumn<QString>("colon");
        QTest::addColumn<QString>("digits");
        QTest::newRow("left h:m") << QString("lblDot1") << "lblHoursLeft";
        QTest::newRow("left m:s") << QString("lblDot2") << "lblMinLeft";
        QTest::newRow("right h:m") << QString("lblDot3") << "lblHoursRight";
        QTest::newRow("right m:s") << QString("lblDot4") << "lblMinRight";
    }
    void colonsOverlapTheirDigitBox()
    {
        QFETCH(QString, colon);
        QFETCH(QString, digits);
        auto* colonLabel = form->findChild<QLabel*>(colon);
        auto* digitLabel = form->findChild<QLabel*>(digits);
        QVERIFY(colonLabel && digitLabel);
        const QRect overlap = colonLabel->geometry() & digitLabel->geometry();
        QCOMPARE(overlap.width(), 5);
        QCOMPARE(overlap.right(), digitLabel->geometry().right());
        QCOMPARE(colonLabel->text(), QStringLiteral(":"));
        // Drawn above the digit box: later siblings are stacked higher.
        const QObjectList& siblings = form->centralWidget()->children();
        QVERIFY(siblings.indexOf(colonLabel) > siblings.indexOf(digitLabel));
    }

    // An opaque game-over mark hides every digit and colon of its side and nothing of the other.
    void gameOverMarkHidesOnlyItsSide_data()
    {
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QStringList>("covered");
        QTest::addColumn<QStringList>("untouched");
        const QStringList left = {"lblHoursLeft", "lblMinLeft", "lblSecLeft", "lblDot1", "lblDot2"};
        const QStringList right = {"lblHoursRight", "lblMinRight", "lblSecRight", "lblDot3",
                                   "lblDot4"};
        QTest::newRow("left") << "Label3" << left << right;
        QTest::newRow("right") << "Label4" << right << left;
    }
    void gameOverMarkHidesOnlyItsSide()
    {
        QFETCH(QString, mark);
        QFETCH(QStringList, covered);
        QFETCH(QStringList, untouched);
        const QImage before = grabClientArea(*form);

        auto* markLabel = form->findChild<QLabel*>(mark);
        QVERIFY(markLabel);
        QPalette palette = markLabel->palette();
        palette.setColor(QPalette::Window, Qt::black);
        markLabel->setPalette(palette);
        markLabel->setAutoFillBackground(true);
        const QImage after = grabClientArea(*form);

        for (const QString& name : covered) {
            const QRect box = form->findChild<QLabel*>(name)->geometry();
            QVERIFY2(markLabel->geometry().contains(box), qPrintable(name));
            // Sample the box's pixels: none of the digit background may show.
            for (int y = box.top(); y <= box.bottom(); y += 3) {
                for (int x = box.left(); x <= box.right(); x += 3) {
                    QVERIFY2(after.pixelColor(x, y) != QColor(224, 224, 224), qPrintable(name));
                }
            }
        }
        for (const QString& name : untouched) {
            const QRect box = form->findChild<QLabel*>(name)->geometry();
            QCOMPARE(after.copy(box), before.copy(box));
        }
    }

    // The push buttons' arrows point towards the middle of the window, from a font that has them.
    void arrowsPointTowardsTheMiddle_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("pointsRight");
        QTest::newRow("left player's button") << "Command2" << true;
        QTest::newRow("right player's button") << "Command1" << false;
    }
    void arrowsPointTowardsTheMiddle()
    {
        QFETCH(QString, button);
        QFETCH(bool, pointsRight);
        auto* push = form->findChild<QPushButton*>(button);
        QVERIFY(push);
        QCOMPARE(push->text().size(), 1);
        const QChar glyph = push->text().at(0);
        const QRawFont font = QRawFont::fromFont(push->font());
        QVERIFY2(font.supportsCharacter(glyph),
                 qPrintable(QStringLiteral("%1 lacks U+%2")
                                .arg(font.familyName())
                                .arg(glyph.unicode(), 4, 16, QLatin1Char('0'))));
        QCOMPARE(font.glyphIndexesForString(push->text()).size(), 1);
        QVERIFY(font.glyphIndexesForString(push->text()).constFirst() != 0);

        // Draw the glyph alone and find where the arrowhead (the tallest ink) is.
        QImage image(120, 80, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setFont(push->font());
            painter.setPen(Qt::black);
            painter.drawText(image.rect(), Qt::AlignCenter, push->text());
        }
        const int head = tallestInkColumn(image);
        QVERIFY(head >= 0);
        QCOMPARE(head > image.width() / 2, pointsRight);
    }

    void menusAndShortcuts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<int>("index");
        const auto row = [](const char* tag, const char* name, const char* menu,
                            const char* caption, const char* shortcut, int index) {
            QTest::newRow(tag) << QString(name) << QString(menu) << QString(caption)
                               << QString(shortcut) << index;
        };
        row("set", "mnuFileSet", "mnuFileMain", "Set time", "Ctrl+S", 2);
        row("reset", "mnuFileReset", "mnuFileMain", "Reset game", "Ctrl+R", 3);
        row("exit", "mnuFileExit", "mnuFileMain", "Exit", "Ctrl+X", 4);
        row("left", "mnuGameLeft", "mnuGameMain", "Left Player's Move", "Ctrl+L", 6);
        row("right is Ctrl+I", "mnuGameRight", "mnuGameMain", "Right Player's Move", "Ctrl+I", 7);
        row("pause", "mnuGamePause", "mnuGameMain", "Pause", "Ctrl+P", 8);
        row("help", "mnuHelpGeneral", "mnuHelpMain", "General help", "Ctrl+H", 10);
        row("about has none", "mnuHelpAbout", "mnuHelpMain", "About", "", 11);
    }
    void menusAndShortcuts()
    {
        QFETCH(QString, name);
        QFETCH(QString, menu);
        QFETCH(QString, caption);
        QFETCH(QString, shortcut);
        QFETCH(int, index);
        auto* action = form->findChild<QAction*>(name);
        auto* owner = form->findChild<QMenu*>(menu);
        QVERIFY(action && owner);
        QVERIFY(owner->actions().contains(action));
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->shortcut().toString(QKeySequence::PortableText), shortcut);
        QCOMPARE(action->data().toInt(), index);
        QVERIFY(action->isEnabled());
    }

    void menuBarOrder()
    {
        QStringList titles;
        for (QAction* action : form->menuBar()->actions()) {
            titles << action->text();
        }
        QCOMPARE(titles, (QStringList{"&File", "&Game", "&Help"}));
    }

    // Tab walks the visible buttons in their order, then the visible banner picture.
    void tabOrder()
    {
        QTRY_COMPARE(QApplication::focusWidget(), find<QPushButton>("CommSet"));
        const QStringList expected = {"Command2",  "Command1", "CommPause",
                                      "CommReset", "Picture1", "CommSet"};
        for (const QString& name : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), name);
        }
    }

    void nothingMovesOnResize()
    {
        QList<QPair<QWidget*, QRect>> before;
        for (QWidget* child : form->centralWidget()->findChildren<QWidget*>()) {
            before.append({child, child->geometry()});
        }
        form->resize(900, 600);
        QTRY_COMPARE(form->centralWidget()->width(), 900);
        for (const auto& [child, geometry] : before) {
            QCOMPARE(child->geometry(), geometry);
        }
        // Beyond the picture the workspace colour shows; the picture stays at the top left.
        const QImage image = grabClientArea(*form);
        const QColor workspace = form->palette().color(QPalette::Dark);
        QCOMPARE(image.pixel(700, 100), workspace.rgb());
        QCOMPARE(image.pixel(10, 400), workspace.rgb());
        // The strips along the picture's top and bottom edges are free of controls.
        const QImage picture = QImage(QString::fromLatin1(artwork::backgroundPath))
                                   .convertToFormat(QImage::Format_RGB32);
        const QImage shown = image.convertToFormat(QImage::Format_RGB32);
        for (const QRect& strip : {QRect(0, 0, 567, 8), QRect(0, 281, 567, 2)}) {
            QCOMPARE(shown.copy(strip), picture.copy(strip));
        }
    }

    void timersArePreciseOneSecond()
    {
        for (const char* name : {"Timer1", "Timer2"}) {
            auto* timer = find<clockcore::ClockTimer>(name);
            QVERIFY2(timer, name);
            QCOMPARE(timer->interval(), 1000);
        }
    }
};

QTEST_MAIN(MainWindowLayoutTest)
#include "tst_mainwindow_layout.moc"
