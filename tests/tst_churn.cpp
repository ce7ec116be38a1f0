// The settings dialog, the help window and the About window opened and closed a thousand times
// for each way out the program has, the ways in taking turns, with real keys and clicks where a
// player would use them. After each cycle the program holds at most one of each window, the
// one the main window knows about; the sanitizer build checks that nothing leaks or is used
// after it is freed on the way.

#include "testsupport.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>

using testsupport::flushDeferredDeletes;
using testsupport::windowsOfType;

namespace {

constexpr int cyclesPerWayOut = 1000;

// What a way out leaves behind.
enum class Leaves
{
    Hidden,   // the window stays, hidden, for its next use
    Destroyed // the window is gone; its next use creates a fresh one
};

struct WayIn
{
    const char* name;
    std::function<void()> open;
};

struct WayOut
{
    const char* name;
    std::function<void(QWidget*)> close;
    Leaves leaves;
};

// The close box: what the window manager's close request does to a window, delivered the way
// the platform delivers it.
void closeBox(QWidget* window)
{
    window->windowHandle()->close();
}

QtMessageHandler previousHandler = nullptr;

void keyToFocus(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focused = window->focusWidget() != nullptr ? window->focusWidget() : window;
    QTest::keyClick(focused, key, modifiers);
}

WayOut clickOn(const char* name, const char* button, Leaves leaves)
{
    const auto click = [button](QWidget* w) {
        QTest::mouseClick(w->findChild<QPushButton*>(button), Qt::LeftButton);
    };
    return {name, click, leaves};
}

// A key to the named control, or to the window's focused one.
WayOut keyOut(const char* name, Qt::Key key, Leaves leaves, const char* control = nullptr)
{
    const auto press = [key, control](QWidget* w) {
        control ? QTest::keyClick(w->findChild<QWidget*>(control), key) : keyToFocus(w, key);
    };
    return {name, press, leaves};
}

} // namespace

class ChurnTest : public QObject, protected testsupport::ClockWindowFixture
{
    Q_OBJECT

private:
    // Keys and shortcuts reach only the active window; an earlier cycle may have left none.
    void activateMain()
    {
        if (QApplication::activeWindow() != form.get()) {
            QVERIFY(testsupport::activate(form.get()));
        }
    }

    // Opens the menu by its access key and chooses an entry with the arrow keys and Enter.
    void chooseFromMenu(char accessKey, int downPresses)
    {
        activateMain();
        QTest::keyClick(form.get(), accessKey, Qt::AltModifier);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        for (int i = 0; i < downPresses; ++i) {
            QTest::keyClick(menu, Qt::Key_Down);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    }

    WayIn shortcut(const char* name, Qt::Key key)
    {
        return WayIn(name, [this, key] {
            activateMain();
            keyToFocus(form.get(), key, Qt::ControlModifier);
        });
    }
    WayIn menu(const char* name, char accessKey, int downPresses)
    {
        return WayIn(name, [=, this] { chooseFromMenu(accessKey, downPresses); });
    }
    WayIn entry(const char* name, const char* action)
    {
        return WayIn(name, [this, action] { find<QAction>(action)->trigger(); });
    }

    // A thousand cycles for every way out, the ways in taking turns within them. Each cycle:
    // open, check there is exactly one such window and it is shown; close, let deferred
    // deletions happen, and check what is left.
    template <typename T>
    void churn(const std::vector<WayIn>& in, const std::vector<WayOut>& out,
               const std::function<T*()>& known)
    {
        const int othersBefore = windowsOfType<Dialog>() + windowsOfType<Help>() +
                                 windowsOfType<frmAbout>() - windowsOfType<T>();
        for (const WayOut& wayOut : out) {
            QElapsedTimer elapsed;
            elapsed.start();
            for (int cycle = 0; cycle < cyclesPerWayOut; ++cycle) {
                const WayIn& wayIn = in[cycle % in.size()];
                const QString where =
                    QStringLiteral("cycle %1, in by %2, out by %3")
                        .arg(cycle)
                        .arg(QLatin1String(wayIn.name), QLatin1String(wayOut.name));
                wayIn.open();
                if (QTest::currentTestFailed()) {
                    QFAIL(qPrintable(where));
                }
                T* window = known();
                if (window == nullptr || !window->isVisible() || windowsOfType<T>() != 1) {
                    QFAIL(qPrintable(where + QStringLiteral(": not exactly one window, shown")));
                }
                if (!window->isActiveWindow()) {
                    window->activateWindow();
                    QVERIFY2(QTest::qWaitForWindowActive(window), qPrintable(where));
                }
                wayOut.close(window);
                flushDeferredDeletes();
                const int expected = wayOut.leaves == Leaves::Hidden ? 1 : 0;
                const bool knownRight = expected == 1 ? known() == window : known() == nullptr;
                if (windowsOfType<T>() != expected ||
                    windowsOfType<T>(testsupport::Windows::Shown) != 0 || !knownRight ||
                    windowsOfType<Form1>() != 1 || windowsOfType<QMessageBox>() != 0 ||
                    !boxes->seen().empty()) {
                    QFAIL(qPrintable(QStringLiteral("%1: %2 left (%3 shown), main window "
                                                    "knows %4, %5 main windows, %6 messages")
                                         .arg(where)
                                         .arg(windowsOfType<T>())
                                         .arg(windowsOfType<T>(testsupport::Windows::Shown))
                                         .arg(known() == nullptr ? "none"
                                              : knownRight       ? "this one"
                                                                 : "another one")
                                         .arg(windowsOfType<Form1>())
                                         .arg(boxes->seen().size())));
                }
            }
            qInfo("out by %s: %d cycles in %lld ms", wayOut.name, cyclesPerWayOut,
                  static_cast<long long>(elapsed.elapsed()));
        }
        // The other kinds of window were left as they were.
        QCOMPARE(windowsOfType<Dialog>() + windowsOfType<Help>() + windowsOfType<frmAbout>() -
                     windowsOfType<T>(),
                 othersBefore);
    }

private slots:
    void initTestCase()
    {
        // Closing one of these windows must not end the test program.
        QApplication::setQuitOnLastWindowClosed(false);
        // The offscreen platform says so every time a window is raised or grabs the keyboard:
        // thousands of lines that tell nothing.
        previousHandler = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
                if (!message.startsWith(QLatin1String("This plugin does not support"))) {
                    previousHandler(type, context, message);
                }
            });
    }
    void init() { QVERIFY(openClockWindow()); }
    void cleanup() { closeClockWindow(); }

    void settingsDialog()
    {
        auto* setButton = find<QPushButton>("CommSet");
        churn<Dialog>({WayIn("Set button click",
                             [setButton] { QTest::mouseClick(setButton, Qt::LeftButton); }),
                       shortcut("Ctrl+S", Qt::Key_S), menu("File menu by keyboard", 'f', 0),
                       entry("Set time entry", "mnuFileSet")},
                      {clickOn("OK", "OKButton", Leaves::Hidden),
                       clickOn("Cancel", "CancelButton", Leaves::Hidden),
                       keyOut("Enter", Qt::Key_Return, Leaves::Hidden),
                       keyOut("Esc", Qt::Key_Escape, Leaves::Hidden),
                       {"close box", closeBox, Leaves::Destroyed}},
                      [&] { return form->existingSettingsDialog(); });
        // Whichever way it went, the main window is back.
        QVERIFY(form->isVisible());
    }

    void helpWindow()
    {
        churn<Help>({shortcut("Ctrl+H", Qt::Key_H), menu("Help menu by keyboard", 'h', 0),
                     entry("General help entry", "mnuHelpGeneral")},
                    {clickOn("OK click", "Command1", Leaves::Hidden),
                     keyOut("Space on OK", Qt::Key_Space, Leaves::Hidden, "Command1"),
                     {"close box", closeBox, Leaves::Destroyed}},
                    [&] { return form->existingHelpWindow(); });
    }

    void aboutWindow()
    {
        churn<frmAbout>(
            {menu("Help menu by keyboard", 'h', 1), entry("About entry", "mnuHelpAbout")},
            {clickOn("OK click", "cmdOK", Leaves::Destroyed),
             keyOut("Enter", Qt::Key_Return, Leaves::Destroyed),
             keyOut("Esc", Qt::Key_Escape, Leaves::Destroyed),
             {"close box", closeBox, Leaves::Destroyed}},
            [&] { return form->existingAboutWindow(); });
    }
};

QTEST_MAIN(ChurnTest)
#include "tst_churn.moc"
