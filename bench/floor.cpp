// The least a Qt window of the clock's size costs: a main window with a menu bar and nothing
// else. Start-up time and memory of the clock are compared with this program's.
//
// With --ticking it also shows a count in one label that changes once a second, the least a
// running clock can cost; its processor time is the baseline for the clock's running cost.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

#include <cstring>

namespace {

// The clock's client area in pixels (8505 x 4245 twips).
constexpr int clientWidth = 567;
constexpr int clientHeight = 283;
constexpr int tickMilliseconds = 1000;

} // namespace

int main(int argc, char* argv[])
{
    const bool ticking = argc > 1 && std::strcmp(argv[1], "--ticking") == 0;
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Floor"));
    // Titles only: the menu bar gets the clock's height and text, but there is nothing behind it.
    for (const char* title : {"&File", "&Game", "&Help"}) {
        window.menuBar()->addMenu(QString::fromLatin1(title));
    }

    QTimer timer;
    int count = 0;
    if (ticking) {
        auto* label = new QLabel(QStringLiteral("0"), &window);
        window.setCentralWidget(label);
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(tickMilliseconds);
        QObject::connect(&timer, &QTimer::timeout,
                         [label, &count] { label->setText(QString::number(++count)); });
        timer.start();
    }

    window.resize(clientWidth, clientHeight + window.menuBar()->sizeHint().height());
    window.show();
    return QApplication::exec();
}
