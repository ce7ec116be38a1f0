// How regular the clock's ticks are, and how exactly a push restarts a clock: the real main
// window with its real timers, against a default QTimer (Qt::CoarseTimer), which is what a
// naive clock would use, measured in the same run.
//
//   bench_timing ticks    [--ticks N] [--busy]
//   bench_timing restarts [--pushes N] [--seed S]
//
// ticks: one push starts the left clock, which then runs N uninterrupted ticks. Tick k is
// compared with the ideal schedule, the moment of the push plus k seconds. A coarse QTimer,
// started at the same moment, ticks alongside in a thread of its own, so that neither delays
// the other and both sample the same conditions. With --busy the other processor cores are
// kept busy by spinning child processes for the whole measurement.
//
// restarts: pushes alternate between the two push buttons. Each push comes at a random moment,
// 300 to 1300 ms after the first tick of the clock that the previous push started (so at any
// point of that clock's second). For each push: how late the first tick of the clock it started
// comes after one second (never early, or a player would be charged a second he did not use).
// The baseline is a coarse QTimer that its own thread restarts at the same moments.
//
// Both also run a control: a bare Qt::PreciseTimer in a thread of its own, started (or
// restarted) a quarter of a second after the clock, so that the two never wake at the same
// instant. It shows what the machine and the toolkit allow at that time.
//
// The threads keep what they measure to themselves until the clock's series is complete: a
// message to the main thread would wake its event loop in the middle of the clock's wait, and
// a shorter last wait ends closer to its deadline, which would flatter the clock.
//
// Output: one line per series, lateness in milliseconds (negative: early):
//   <series> <count> <min> <median> <p99> <max> <last>

#include "series.h"

#include <clocktimer.h>
#include <dialog.h>
#include <form1.h>

#include <QApplication>
#include <QComboBox>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using std::chrono::milliseconds;

constexpr milliseconds tickInterval{1000};
constexpr int defaultTicks = 600;
constexpr int defaultPushes = 200;
constexpr unsigned defaultSeed = 1;
// The window is shown and painted before anything is measured.
constexpr milliseconds settleTime{1000};
// Five hours a side: neither side runs out, warns or beeps during a measurement.
constexpr char hoursPerSide[] = "5";
constexpr milliseconds controlOffset{250};
// After a clock's first tick, the next push waits this long plus a random part of a second,
// by when the baseline and the control have shown their first ticks too.
constexpr int pushMarginMs = 300;
constexpr int pushSpreadMs = 1000;
constexpr milliseconds collectPeriod{50};

// A QTimer in a thread of its own, measured there. In `Every` mode it records the lateness of
// each of its first `wanted` ticks after a start, then stops; in `First` mode the lateness of
// the first tick after every restart, and it keeps ticking in between, as a clock would.
class ThreadTimer
{
public:
    enum class Record
    {
        Every,
        First
    };

    ThreadTimer(Qt::TimerType type, Record record, int wanted) : m_record(record), m_wanted(wanted)
    {
        m_values.reserve(wanted);
        m_timer.setTimerType(type);
        m_timer.setInterval(tickInterval);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { onTick(); });
        m_timer.moveToThread(&m_thread);
        m_thread.start();
    }
    ~ThreadTimer()
    {
        QMetaObject::invokeMethod(
            &m_timer, [this] { m_timer.stop(); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    ThreadTimer(const ThreadTimer&) = delete;
    ThreadTimer& operator=(const ThreadTimer&) = delete;

    // (Re)starts the timer `delay` after its thread gets the request, timed by that thread.
    void restart(milliseconds delay = milliseconds{0})
    {
        QMetaObject::invokeMethod(
            &m_timer,
            [this, delay] {
                if (delay.count() == 0) {
                    startNow();
                } else {
                    QTimer::singleShot(delay, Qt::PreciseTimer, &m_timer, [this] { startNow(); });
                }
            },
            Qt::QueuedConnection);
    }

    int count() const
    {
        const std::lock_guard lock(m_mutex);
        return static_cast<int>(m_values.size());
    }
    std::vector<double> values() const
    {
        const std::lock_guard lock(m_mutex);
        return m_values;
    }

private:
    void startNow()
    {
        m_ticksSinceStart = 0;
        m_start = SteadyClock::now();
        m_timer.start();
    }

    void onTick()
    {
        const auto now = SteadyClock::now();
        const int k = ++m_ticksSinceStart;
        if (m_record == Record::First && k != 1) {
            return;
        }
        const std::lock_guard lock(m_mutex);
        if (static_cast<int>(m_values.size()) < m_wanted) {
            m_values.push_back(msSince(m_start + k * tickInterval, now));
        }
        if (m_record == Record::Every && static_cast<int>(m_values.size()) >= m_wanted) {
            m_timer.stop();
        }
    }

    const Record m_record;
    const int m_wanted;
    QThread m_thread;
    QTimer m_timer;
    SteadyClock::time_point m_start;
    int m_ticksSinceStart = 0;
    mutable std::mutex m_mutex;
    std::vector<double> m_values;
};

// Once the clock's own series is complete, waits (now without disturbing anything) for the
// threads to complete theirs, and ends the event loop.
void quitWhenComplete(QApplication& app, std::function<bool()> complete)
{
    auto* poll = new QTimer(&app);
    QObject::connect(poll, &QTimer::timeout, &app, [&app, complete] {
        if (complete()) {
            app.quit();
        }
    });
    poll->start(collectPeriod);
}

clockcore::ClockTimer* clockTimer(Form1& form, const char* name)
{
    auto* timer = form.findChild<clockcore::ClockTimer*>(QString::fromLatin1(name));
    if (timer == nullptr) {
        std::fprintf(stderr, "bench_timing: the main window has no timer %s\n", name);
        std::exit(1);
    }
    return timer;
}

// Long games on both sides, set the way a user sets them: in the settings fields, then a new
// game from them.
void startLongGame(Form1& form)
{
    Dialog* dialog = form.existingSettingsDialog();
    for (const char* name : {"Combo1", "Combo2"}) {
        auto* hours =
            dialog != nullptr ? dialog->findChild<QComboBox*>(QString::fromLatin1(name)) : nullptr;
        if (hours == nullptr) {
            std::fprintf(stderr, "bench_timing: no settings field %s\n", name);
            std::exit(1);
        }
        hours->setEditText(QString::fromLatin1(hoursPerSide));
    }
    form.Form_Load();
}

// Spinning processes on all cores but one; they die with this process.
std::vector<pid_t> startBusyLoops()
{
    std::vector<pid_t> children;
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    for (long i = 1; i < cores; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            volatile unsigned long spin = 0;
            for (;;) {
                spin = spin + 1;
            }
        }
        if (child > 0) {
            children.push_back(child);
        }
    }
    return children;
}

void stopBusyLoops(const std::vector<pid_t>& children)
{
    for (const pid_t child : children) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
}

int measureTicks(QApplication& app, Form1& form, int ticks)
{
    clockcore::ClockTimer* timer1 = clockTimer(form, "Timer1");
    SteadyClock::time_point start;
    std::vector<double> real;
    real.reserve(ticks);
    ThreadTimer coarse(Qt::CoarseTimer, ThreadTimer::Record::Every, ticks);
    ThreadTimer control(Qt::PreciseTimer, ThreadTimer::Record::Every, ticks);

    // Connected after the window's own handler, which therefore runs first, as it always does.
    QObject::connect(timer1, &clockcore::ClockTimer::timeout, &app, [&] {
        const auto now = SteadyClock::now();
        if (static_cast<int>(real.size()) >= ticks) {
            return;
        }
        const auto k = static_cast<int>(real.size()) + 1;
        real.push_back(msSince(start + k * tickInterval, now));
        if (static_cast<int>(real.size()) == ticks) {
            quitWhenComplete(app,
                             [&] { return coarse.count() >= ticks && control.count() >= ticks; });
        }
    });

    QTimer::singleShot(settleTime, &app, [&] {
        coarse.restart();
        control.restart(controlOffset);
        start = SteadyClock::now();
        form.Command1_Click(); // the right player's push starts the left clock
    });
    const int status = QApplication::exec();
    printSeries("ticks_real", real);
    printSeries("ticks_coarse", coarse.values());
    printSeries("ticks_control", control.values());
    return status;
}

int measureRestarts(QApplication& app, Form1& form, int pushes, unsigned seed)
{
    clockcore::ClockTimer* timers[] = {clockTimer(form, "Timer1"), clockTimer(form, "Timer2")};
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pushDelay(pushMarginMs, pushMarginMs + pushSpreadMs);

    int started = -1; // index into timers of the clock that the latest push started
    bool realPending = false;
    SteadyClock::time_point pushedAt;
    std::vector<double> real;
    real.reserve(pushes);
    ThreadTimer coarse(Qt::CoarseTimer, ThreadTimer::Record::First, pushes);
    ThreadTimer control(Qt::PreciseTimer, ThreadTimer::Record::First, pushes);
    // Restarts that came before a thread timer's first tick (none are expected).
    int coarseMissed = 0;
    int controlMissed = 0;

    std::function<void()> push = [&] {
        const int done = static_cast<int>(real.size());
        coarseMissed = std::max(coarseMissed, done - coarse.count());
        controlMissed = std::max(controlMissed, done - control.count());
        started = done % 2;
        realPending = true;
        pushedAt = SteadyClock::now();
        if (started == 0) {
            form.Command1_Click(); // the right player's push starts the left clock, Timer1
        } else {
            form.Command2_Click(); // the left player's push starts the right clock, Timer2
        }
        coarse.restart();
        control.restart(controlOffset);
    };
    for (int i = 0; i < 2; ++i) {
        QObject::connect(timers[i], &clockcore::ClockTimer::timeout, &app, [&, i] {
            const auto now = SteadyClock::now();
            if (i != started || !realPending) {
                return;
            }
            realPending = false;
            real.push_back(msSince(pushedAt + tickInterval, now));
            if (static_cast<int>(real.size()) < pushes) {
                QTimer::singleShot(pushDelay(random), Qt::PreciseTimer, &app, push);
            } else {
                quitWhenComplete(app, [&] {
                    return coarse.count() + coarseMissed >= pushes &&
                           control.count() + controlMissed >= pushes;
                });
            }
        });
    }

    QTimer::singleShot(settleTime, &app, push);
    const int status = QApplication::exec();
    printSeries("restart_real", real);
    printSeries("restart_coarse", coarse.values());
    printSeries("restart_control", control.values());
    if (coarseMissed + controlMissed > 0) {
        std::printf("restart_missed %d %d\n", coarseMissed, controlMissed);
    }
    return status;
}

int usage()
{
    std::fputs("usage: bench_timing ticks [--ticks N] [--busy]\n"
               "       bench_timing restarts [--pushes N] [--seed S]\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        return usage();
    }
    const std::string mode = argv[1];
    int ticks = defaultTicks;
    int pushes = defaultPushes;
    unsigned seed = defaultSeed;
    bool busy = false;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--ticks" && hasValue) {
            ticks = std::atoi(argv[++i]);
        } else if (option == "--pushes" && hasValue) {
            pushes = std::atoi(argv[++i]);
        } else if (option == "--seed" && hasValue) {
            seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (option == "--busy") {
            busy = true;
        } else {
            return usage();
        }
    }
    if ((mode != "ticks" && mode != "restarts") || ticks < 1 || pushes < 1) {
        return usage();
    }

    // Forked before any thread exists.
    const std::vector<pid_t> busyLoops = busy ? startBusyLoops() : std::vector<pid_t>{};

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    Form1 form;
    form.show();
    startLongGame(form);

    const int status =
        mode == "ticks" ? measureTicks(app, form, ticks) : measureRestarts(app, form, pushes, seed);
    stopBusyLoops(busyLoops);
    return status;
}
