// The help window and the About window: texts, layout, keys. (Every way each one closes is
// tst_churn's, a thousand times over.)

#include "testsupport.h"

#include <appinfo.h>
#include <twips.h>

#include <QFrame>
#include <QLayout>
#include <QScreen>
#include <QtTest>

using testsupport::flushDeferredDeletes;
using testsupport::showActive;

namespace {

// A wrapped text may overhang its label by this much before a line is visibly cut off.
constexpr int fitTolerancePixels = 2;

QStringList focusTakers(const QWidget* window)
{
    QStringList names;
    for (const QWidget* child : window->findChildren<QWidget*>()) {
        if (child->focusPolicy() != Qt::NoFocus) {
            names << child->objectName();
        }
    }
    return names;
}

// The height the label's text needs at the label's width, against the height it has.
void verifyTextFits(const QLabel* label)
{
    const int needed = label->heightForWidth(label->width());
    if (needed > label->height() + fitTolerancePixels) {
        QFAIL(qPrintable(QStringLiteral("%1 needs %2 px, has %3 px (font %4)")
                             .arg(label->objectName())
                             .arg(needed)
                             .arg(label->height())
                             .arg(QFontInfo(label->font()).family())));
    }
}

} // namespace

class tst_InfoWindows : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        flushDeferredDeletes();
        qDeleteAll(QApplication::topLevelWidgets());
    }

    void helpWindow()
    {
        QPointer<Help> help = new Help;
        QCOMPARE(help->objectName(), QStringLiteral("Help"));
        QCOMPARE(help->windowTitle(), QStringLiteral("General Help"));
        QCOMPARE(help->windowType(), Qt::Window);
        QVERIFY(help->windowFlags().testFlags(Qt::WindowMinMaxButtonsHint));
        QVERIFY(help->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(help->size(), twips::size(4530, 4995));
        QVERIFY(help->minimumSize() != help->maximumSize());
        QVERIFY(help->autoFillBackground());
        QCOMPARE(help->palette().color(QPalette::Window), QColor(255, 255, 255));
        QCOMPARE(help->layout(), nullptr);
        QCOMPARE(focusTakers(help), QStringList{QStringLiteral("Command1")});

        auto* ok = help->findChild<QPushButton*>(QStringLiteral("Command1"));
        QVERIFY(ok != nullptr);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(ok->geometry(), twips::rect(3840, 3840, 615, 375));
        QCOMPARE(ok->font().family(), QStringLiteral("Times New Roman"));
        QCOMPARE(ok->font().pointSizeF(), 14.25);
        QVERIFY(!ok->isDefault());
        QVERIFY(!ok->autoDefault());

        // Resizing the window leaves the controls where they were.
        QVERIFY(showActive(help));
        QCOMPARE(QApplication::focusWidget(), ok);
        // Neither Esc nor Enter closes it.
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
            QTest::keyClick(ok, key);
            QCoreApplication::processEvents();
            flushDeferredDeletes();
            QVERIFY(!help.isNull() && help->isVisible());
        }
        help->resize(help->size() * 2);
        QTRY_COMPARE(help->size(), twips::size(4530, 4995) * 2);
        QCOMPARE(ok->geometry(), twips::rect(3840, 3840, 615, 375));
    }

    // Every label of both windows: its text, place, font, colours and wrapping, and a text that
    // fits.
    void labels_data()
    {
        QTest::addColumn<QString>("window"); // help or about
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QFont>("font");
        QTest::addColumn<QColor>("textColour"); // invalid: the desktop's usual text colour
        QTest::addColumn<QColor>("background"); // invalid: not checked
        QTest::addColumn<QString>("text");      // empty: any text
        const auto font = [](const char* family, double points, bool bold, bool italic,
                             bool underline) {
            QFont font(QString::fromLatin1(family));
            font.setPointSizeF(points);
            font.setBold(bold);
            font.setItalic(italic);
            font.setUnderline(underline);
            return font;
        };
        const auto helpLine = [](const char* name, int top, int height, const QFont& font,
                                 const QColor& textColour, const QColor& background,
                                 const char* text) {
            QTest::addRow("help %s", name) << "help"
                                           << QRect(twips::px(120), top / twips::perPixel,
                                                    twips::px(4335), height / twips::perPixel)
                                           << font << textColour << background << QString(text);
        };
        const QFont body = font("Arial", 8.25, false, false, false);
        const QColor paleYellow(255, 255, 128);
        const QColor palerYellow(255, 255, 192);
        helpLine("Label1", 120, 615, font("Courier New", 12.0, false, false, true),
                 QColor(255, 0, 0), QColor(128, 255, 128), "Short Help for Corvatine Program");
        helpLine("Label2", 720, 495, body, QColor(), paleYellow,
                 "Well, the program is very easy to use. But if you need some help - here it is.");
        helpLine("Label3", 1200, 495, body, QColor(), palerYellow,
                 "To set the time for the left and the right player, use SET button.");
        helpLine("Label4", 1680, 855, body, QColor(), paleYellow,
                 "To start the game, push the button with the ARROW. It is very like to any "
                 "material chess clock. Remember, that the player who is NOT moving first must "
                 "push the button on his side.");
        helpLine("Label5", 2520, 495, body, QColor(), palerYellow,
                 "To reset the last settings and start the game anew, push the RESET button.");
        helpLine("Label6", 3000, 615, body, QColor(192, 0, 0), paleYellow,
                 "Hint: one player can use SPACE as a starting/push down button while the other "
                 "can use left mouse BUTTON for this purpose.");
        QTest::newRow("about Label1") << "about" << twips::rect(840, 120, 3015, 855)
                                      << font("Times New Roman", 12.0, true, false, false)
                                      << QColor() << QColor() << QString();
        QTest::newRow("about lblVersion")
            << "about" << twips::rect(4200, 120, 1365, 585)
            << font("Courier New", 8.25, false, false, false) << QColor() << QColor() << QString();
        QTest::newRow("about lblDescription") << "about" << twips::rect(840, 1080, 4725, 1245)
                                              << font("Times New Roman", 9.75, true, true, false)
                                              << QColor(Qt::white) << QColor() << QString();
    }

    void labels()
    {
        QFETCH(QString, window);
        QFETCH(QRect, geometry);
        QFETCH(QFont, font);
        QFETCH(QColor, textColour);
        QFETCH(QColor, background);
        QFETCH(QString, text);

        QWidget* shown = window == "help" ? static_cast<QWidget*>(new Help) : new frmAbout;
        QVERIFY(showActive(shown));
        const QString name = QString::fromLatin1(QTest::currentDataTag()).section(' ', 1);
        auto* label = shown->findChild<QLabel*>(name);
        QVERIFY(label != nullptr);
        if (text.isEmpty()) {
            QVERIFY(!label->text().isEmpty());
        } else if (name == QStringLiteral("Label1")) {
            // The heading is followed by credits of the program's own.
            QVERIFY2(label->text().startsWith(text + QLatin1Char(' ')) ||
                         label->text().startsWith(text + QLatin1Char('\n')),
                     qPrintable(label->text()));
            QVERIFY(label->text().size() > text.size() + 1);
        } else {
            QCOMPARE(label->text(), text);
        }
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->geometry(), geometry);
        QCOMPARE(label->font().family(), font.family());
        QCOMPARE(label->font().pointSizeF(), font.pointSizeF());
        QCOMPARE(label->font().bold(), font.bold());
        QCOMPARE(label->font().italic(), font.italic());
        QCOMPARE(label->font().underline(), font.underline());
        QCOMPARE(label->palette().color(QPalette::WindowText),
                 textColour.isValid() ? textColour
                                      : QApplication::palette().color(QPalette::WindowText));
        if (background.isValid()) {
            QVERIFY(label->autoFillBackground());
            QCOMPARE(label->palette().color(QPalette::Window), background);
        }
        if (textColour == QColor(Qt::white)) {
            // White text needs a background of its own to be read on.
            QVERIFY(label->autoFillBackground());
            QVERIFY(qGray(label->palette().color(QPalette::Window).rgb()) < 128);
        }
        QVERIFY(label->wordWrap());
        QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
        verifyTextFits(label);
    }

    void helpOkHidesAndShowsAgainWhereLeft()
    {
        QPointer<Help> help = new Help;
        QVERIFY(showActive(help));
        const QRect screenArea = help->screen()->availableGeometry();
        QVERIFY2((help->geometry().center() - screenArea.center()).manhattanLength() <= 1,
                 "first shown centred on the screen");

        const QPoint whereUserLeftIt = screenArea.topLeft() + QPoint(17, 23);
        help->move(whereUserLeftIt);
        QTRY_COMPARE(help->pos(), whereUserLeftIt);

        auto* ok = help->findChild<QPushButton*>(QStringLiteral("Command1"));
        QVERIFY(ok != nullptr);
        QTest::mouseClick(ok, Qt::LeftButton);
        QTRY_VERIFY(!help->isVisible());
        flushDeferredDeletes();
        QVERIFY2(!help.isNull(), "OK only hides the window");

        QVERIFY(showActive(help));
        QCOMPARE(help->pos(), whereUserLeftIt);
    }

    void aboutTexts_data()
    {
        QTest::addColumn<QString>("objectName"); // empty: the window's caption
        QTest::addColumn<QString>("exact");
        QTest::addColumn<QString>("fromAppInfo");

        QTest::newRow("caption") << QString() << QStringLiteral("About Ostrevane")
                                 << QStringLiteral("About ") + QString::fromLatin1(appinfo::title);
        QTest::newRow("version") << QStringLiteral("lblVersion")
                                 << QStringLiteral("V. 1.0.0 of April 2001")
                                 << QStringLiteral("V. %1.%2.%3 of April 2001")
                                        .arg(appinfo::versionMajor)
                                        .arg(appinfo::versionMinor)
                                        .arg(appinfo::versionRevision);
    }

    void aboutTexts()
    {
        QFETCH(QString, objectName);
        QFETCH(QString, exact);
        QFETCH(QString, fromAppInfo);

        auto* about = new frmAbout;
        QString shown = about->windowTitle();
        if (!objectName.isEmpty()) {
            auto* label = about->findChild<QLabel*>(objectName);
            QVERIFY(label != nullptr);
            shown = label->text();
        }
        QCOMPARE(shown, fromAppInfo);
        QCOMPARE(shown, exact);
    }

    void aboutWindow()
    {
        QPointer<frmAbout> about = new frmAbout;
        QCOMPARE(about->objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(about->windowType(), Qt::Tool);
        QVERIFY(about->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!about->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!about->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(about->minimumSize(), twips::size(5820, 3645));
        QCOMPARE(about->maximumSize(), twips::size(5820, 3645));
        QVERIFY(about->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(focusTakers(about), QStringList{QStringLiteral("cmdOK")});

        QVERIFY(showActive(about));
        QCOMPARE(about->geometry(), QRect(QPoint(156, 129), twips::size(5820, 3645)));
        auto* ok = about->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        QVERIFY(ok != nullptr);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(ok->geometry(), twips::rect(4800, 2760, 780, 345));
        QVERIFY(ok->isDefault());
        QCOMPARE(QApplication::focusWidget(), ok);
    }

    void aboutIconAndRule()
    {
        auto* about = new frmAbout;

        auto* title = about->findChild<QLabel*>(QStringLiteral("Label1"));
        QVERIFY(title != nullptr);
        QVERIFY2(title->text().startsWith(QStringLiteral("Corvatine\n")),
                 qPrintable(title->text()));

        auto* picIcon = about->findChild<QLabel*>(QStringLiteral("picIcon"));
        QVERIFY(picIcon != nullptr);
        QCOMPARE(picIcon->geometry(), twips::rect(120, 120, 540, 540));
        const QPixmap picture = picIcon->pixmap();
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.size(), QSize(32, 32));
        QVERIFY(!picIcon->hasScaledContents());
        QCOMPARE(picIcon->alignment(), Qt::AlignLeft | Qt::AlignTop);

        auto* version = about->findChild<QLabel*>(QStringLiteral("lblVersion"));
        QVERIFY(version != nullptr);
        QCOMPARE(version->frameShape(), QFrame::Box);
        QCOMPARE(version->lineWidth(), 1);
        QVERIFY(!version->autoFillBackground());
        // The version text is wider than its label, so it takes more than one line.
        const int oneLine = QFontMetrics(version->font()).height();
        QVERIFY(version->heightForWidth(version->width()) > oneLine + 2 * version->frameWidth());

        auto* rule = about->findChild<QFrame*>(QStringLiteral("Line1"));
        QVERIFY(rule != nullptr);
        QCOMPARE(rule->geometry(), QRect(QPoint(7, 164), QPoint(376, 164)));
        QVERIFY(rule->autoFillBackground());
        QCOMPARE(rule->palette().color(QPalette::Window), QColor(128, 128, 128));
    }
};

QTEST_MAIN(tst_InfoWindows)
#include "tst_infowindows.moc"
