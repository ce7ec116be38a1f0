// Watches another program's main window in an X server (DISPLAY), from the outside: the
// program gets no option and no environment variable it would not get anyway.
//
//   bench_window startup [--runs N] [--settle-ms M] OURS FLOOR
//       Starts the two programs in turn, N times each (after one unmeasured start each), and
//       measures the time from just before fork() to the first complete frame of the program's
//       first mapped window, the processor time its threads have used by then, and the peak
//       resident memory of the process (ru_maxrss), which is ended M ms after that frame.
//   bench_window cost [--seconds S] [--warmup-ms W] [--click X,Y --client-height H]
//                     [--server-pid P] PROGRAM [ARGS...]
//       Starts the program, waits for its first frame, optionally clicks at (X, Y) of its client
//       area (the bottom H rows of the window, below the menu bar) with xdotool, waits W ms and
//       then counts the processor time of all its threads over S seconds, and what it drew.
//
// "First complete frame": every window created on the root window gets a DAMAGE object that
// reports raw rectangles; the frame is complete when the rectangles drawn into the first
// window that is mapped cover all of it. No window manager may run (windows map at once).
//
// The DAMAGE requests are written out here on top of core XCB, so that nothing beyond libxcb
// is needed.
//
// Output: one line per series, "<series> <count> <min> <median> <p99> <max> <last>", and
// "<key> <values...>" lines for the running cost.

#include "series.h"

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int defaultRuns = 20;
constexpr int defaultSettleMs = 1000;
constexpr int defaultCostSeconds = 60;
constexpr int defaultWarmupMs = 2000;
constexpr int frameTimeoutMs = 20000;
constexpr int pauseBetweenRunsMs = 300;

[[noreturn]] void die(const std::string& message)
{
    std::fprintf(stderr, "bench_window: %s\n", message.c_str());
    std::exit(1);
}

// ---- The DAMAGE extension, by hand --------------------------------------------------------

xcb_extension_t damageExtension = {"DAMAGE", 0};
constexpr uint8_t damageQueryVersion = 0;
constexpr uint8_t damageCreate = 1;
constexpr uint8_t damageReportRawRectangles = 0;
constexpr uint8_t damageNotifyOffset = 0;
constexpr uint8_t damageMoreFlag = 0x80;

struct DamageQueryVersionRequest
{
    uint8_t majorOpcode;
    uint8_t minorOpcode;
    uint16_t length;
    uint32_t clientMajor;
    uint32_t clientMinor;
};

struct DamageCreateRequest
{
    uint8_t majorOpcode;
    uint8_t minorOpcode;
    uint16_t length;
    uint32_t damage;
    uint32_t drawable;
    uint8_t level;
    uint8_t pad[3];
};

struct DamageNotifyEvent
{
    uint8_t responseType;
    uint8_t level;
    uint16_t sequence;
    uint32_t drawable;
    uint32_t damage;
    uint32_t timestamp;
    xcb_rectangle_t area;
    xcb_rectangle_t geometry;
};
static_assert(sizeof(DamageNotifyEvent) == 32);

template <typename Request>
unsigned sendRequest(xcb_connection_t* connection, uint8_t opcode, bool isVoid, Request& request)
{
    // xcb_send_request needs two spare entries in front of the request's.
    iovec parts[4] = {};
    parts[2].iov_base = &request;
    parts[2].iov_len = sizeof(request);
    parts[3].iov_base = nullptr;
    parts[3].iov_len = -sizeof(request) & 3;
    xcb_protocol_request_t protocol = {};
    protocol.count = 2;
    protocol.ext = &damageExtension;
    protocol.opcode = opcode;
    protocol.isvoid = isVoid ? 1 : 0;
    return xcb_send_request(connection, isVoid ? 0 : XCB_REQUEST_CHECKED, parts + 2, &protocol);
}

// ---- Watching windows ---------------------------------------------------------------------

struct Window
{
    int16_t x = 0;
    int16_t y = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<uint8_t> drawn; // one byte per pixel until the first frame is complete
    long drawnCount = 0;
};

class Watcher
{
public:
    Watcher()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection)) {
            die("cannot connect to the X server (DISPLAY)");
        }
        fcntl(xcb_get_file_descriptor(m_connection), F_SETFD, FD_CLOEXEC);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;

        const xcb_query_extension_reply_t* damage =
            xcb_get_extension_data(m_connection, &damageExtension);
        if (damage == nullptr || !damage->present) {
            die("the X server has no DAMAGE extension");
        }
        m_damageEvent = damage->first_event + damageNotifyOffset;
        DamageQueryVersionRequest version = {0, damageQueryVersion, 0, 1, 1};
        xcb_generic_error_t* error = nullptr;
        void* reply = xcb_wait_for_reply(
            m_connection, sendRequest(m_connection, damageQueryVersion, false, version), &error);
        if (reply == nullptr) {
            die("DAMAGE does not answer");
        }
        std::free(reply);

        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~Watcher() { xcb_disconnect(m_connection); }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    // Forgets everything seen so far: a new program is about to start.
    void reset()
    {
        drain(0);
        m_windows.clear();
        m_main.reset();
        m_frameDone.reset();
        m_firstDamage.reset();
        resetDrawing();
    }

    void resetDrawing()
    {
        m_damageEvents = 0;
        m_damagedPixels = 0;
        m_damageBox = {};
    }

    // Handles events for up to timeoutMs, or until the first frame is complete when
    // untilFrame is set.
    void drain(int timeoutMs, bool untilFrame = false)
    {
        const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
        pollfd fd = {xcb_get_file_descriptor(m_connection), POLLIN, 0};
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                handle(event, SteadyClock::now());
                std::free(event);
            }
            if (xcb_connection_has_error(m_connection)) {
                die("lost the X server");
            }
            if (untilFrame && m_frameDone) {
                return;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now())
                    .count();
            if (left <= 0) {
                return;
            }
            poll(&fd, 1, static_cast<int>(left));
        }
    }

    std::optional<SteadyClock::time_point> frameDone() const { return m_frameDone; }
    const Window* mainWindow() const { return m_main ? &m_windows.at(*m_main) : nullptr; }
    long damageEvents() const { return m_damageEvents; }
    long damagedPixels() const { return m_damagedPixels; }
    xcb_rectangle_t damageBox() const { return m_damageBox; }

private:
    void handle(xcb_generic_event_t* event, SteadyClock::time_point now)
    {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
            if (created->parent != m_root) {
                return;
            }
            Window& window = m_windows[created->window];
            window = Window{created->x, created->y, created->width, created->height, {}, 0};
            DamageCreateRequest request = {0,
                                           damageCreate,
                                           0,
                                           xcb_generate_id(m_connection),
                                           created->window,
                                           damageReportRawRectangles,
                                           {}};
            sendRequest(m_connection, damageCreate, true, request);
            xcb_flush(m_connection);
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            const auto* configured = reinterpret_cast<xcb_configure_notify_event_t*>(event);
            const auto found = m_windows.find(configured->window);
            if (found != m_windows.end()) {
                found->second.x = configured->x;
                found->second.y = configured->y;
                found->second.width = configured->width;
                found->second.height = configured->height;
            }
        } else if (type == XCB_MAP_NOTIFY) {
            const auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (!m_main && m_windows.count(mapped->window) != 0) {
                m_main = mapped->window;
                Window& window = m_windows[mapped->window];
                window.drawn.assign(std::size_t(window.width) * window.height, 0);
                window.drawnCount = 0;
            }
        } else if (type == m_damageEvent) {
            const auto* damage = reinterpret_cast<DamageNotifyEvent*>(event);
            if (m_main && damage->drawable == *m_main) {
                recordDamage(m_windows[*m_main], damage->area, now);
            }
        }
    }

    void recordDamage(Window& window, const xcb_rectangle_t& area, SteadyClock::time_point now)
    {
        if (!m_firstDamage) {
            m_firstDamage = now;
        }
        ++m_damageEvents;
        m_damagedPixels += long(area.width) * area.height;
        m_damageBox = unite(m_damageBox, area);
        if (m_frameDone) {
            return;
        }
        const int right = std::min<int>(area.x + area.width, window.width);
        const int bottom = std::min<int>(area.y + area.height, window.height);
        for (int row = std::max<int>(area.y, 0); row < bottom; ++row) {
            for (int column = std::max<int>(area.x, 0); column < right; ++column) {
                uint8_t& pixel = window.drawn[std::size_t(row) * window.width + column];
                if (pixel == 0) {
                    pixel = 1;
                    ++window.drawnCount;
                }
            }
        }
        if (window.drawnCount == long(window.width) * window.height) {
            m_frameDone = now;
            window.drawn.clear();
        }
    }

    static xcb_rectangle_t unite(const xcb_rectangle_t& a, const xcb_rectangle_t& b)
    {
        if (a.width == 0 || a.height == 0) {
            return b;
        }
        const int left = std::min(a.x, b.x);
        const int top = std::min(a.y, b.y);
        const int right = std::max(a.x + a.width, b.x + b.width);
        const int bottom = std::max(a.y + a.height, b.y + b.height);
        return {int16_t(left), int16_t(top), uint16_t(right - left), uint16_t(bottom - top)};
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    uint8_t m_damageEvent = 0;
    std::map<xcb_window_t, Window> m_windows;
    std::optional<xcb_window_t> m_main;
    std::optional<SteadyClock::time_point> m_firstDamage;
    std::optional<SteadyClock::time_point> m_frameDone;
    long m_damageEvents = 0;
    long m_damagedPixels = 0;
    xcb_rectangle_t m_damageBox = {};
};

// ---- Processes ----------------------------------------------------------------------------

// The environment as it is, except that the toolkit may not be pointed at another platform.
std::vector<char*> childEnvironment()
{
    std::vector<char*> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, "QT_QPA_PLATFORM=", 16) != 0) {
            environment.push_back(*entry);
        }
    }
    environment.push_back(nullptr);
    return environment;
}

pid_t launch(const std::vector<std::string>& command)
{
    std::vector<char*> arguments;
    for (const std::string& argument : command) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    std::vector<char*> environment = childEnvironment();
    const pid_t child = fork();
    if (child < 0) {
        die("fork failed");
    }
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execve(arguments[0], arguments.data(), environment.data());
        _exit(127);
    }
    return child;
}

// Ends the process and returns its peak resident memory in KiB.
long finish(pid_t child)
{
    kill(child, SIGTERM);
    int status = 0;
    rusage usage = {};
    if (wait4(child, &status, 0, &usage) != child) {
        die("lost a child process");
    }
    return usage.ru_maxrss;
}

// Processor time of the whole process, utime + stime from /proc/<pid>/stat, in clock ticks.
long processTicks(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto afterName = text.rfind(')');
    if (afterName == std::string::npos) {
        die("cannot read /proc/" + std::to_string(pid) + "/stat");
    }
    std::istringstream fields(text.substr(afterName + 2));
    std::string field;
    long utime = 0;
    long stime = 0;
    // Fields from the state (3rd) on; utime and stime are the 14th and 15th.
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14) {
            utime = std::stol(field);
        } else if (index == 15) {
            stime = std::stol(field);
        }
    }
    return utime + stime;
}

struct ThreadTotals
{
    double cpuNs = 0;         // sum of the threads' run time, /proc/<pid>/task/*/schedstat
    long contextSwitches = 0; // voluntary and involuntary, all threads
};

ThreadTotals threadTotals(pid_t pid)
{
    ThreadTotals totals;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* directory = opendir(tasks.c_str());
    if (directory == nullptr) {
        die("cannot read " + tasks);
    }
    while (const dirent* entry = readdir(directory)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        const std::string task = tasks + "/" + entry->d_name;
        std::ifstream schedstat(task + "/schedstat");
        double runNs = 0;
        if (schedstat >> runNs) {
            totals.cpuNs += runNs;
        }
        std::ifstream status(task + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
                totals.contextSwitches += std::stol(line.substr(line.find(':') + 1));
            }
        }
    }
    closedir(directory);
    return totals;
}

// ---- The two measurements -----------------------------------------------------------------

struct StartResult
{
    double frameMs = 0;
    double cpuMs = 0; // processor time of all its threads when the frame was complete
    long peakKiB = 0;
};

StartResult measureStart(Watcher& watcher, const std::string& program, int settleMs)
{
    watcher.reset();
    const auto start = SteadyClock::now();
    const pid_t child = launch({program});
    watcher.drain(frameTimeoutMs, true);
    if (!watcher.frameDone()) {
        finish(child);
        die(program + " showed no complete frame");
    }
    StartResult result;
    result.frameMs = msSince(start, *watcher.frameDone());
    result.cpuMs = threadTotals(child).cpuNs / 1e6;
    watcher.drain(settleMs);
    result.peakKiB = finish(child);
    return result;
}

int startup(int runs, int settleMs, const std::string& ours, const std::string& floor)
{
    Watcher watcher;
    // One start each first, so that both find their libraries in the page cache.
    measureStart(watcher, ours, 0);
    measureStart(watcher, floor, 0);
    std::vector<double> frame[2];
    std::vector<double> cpu[2];
    std::vector<double> peak[2];
    const std::string programs[2] = {ours, floor};
    for (int run = 0; run < runs; ++run) {
        // Interleaved, each in turn first.
        for (int turn = 0; turn < 2; ++turn) {
            const int which = (run + turn) % 2;
            const StartResult result = measureStart(watcher, programs[which], settleMs);
            frame[which].push_back(result.frameMs);
            cpu[which].push_back(result.cpuMs);
            peak[which].push_back(double(result.peakKiB));
            usleep(pauseBetweenRunsMs * 1000);
        }
    }
    printSeries("startup_ms_ours", frame[0]);
    printSeries("startup_ms_floor", frame[1]);
    printSeries("startcpu_ms_ours", cpu[0]);
    printSeries("startcpu_ms_floor", cpu[1]);
    printSeries("peak_kib_ours", peak[0]);
    printSeries("peak_kib_floor", peak[1]);
    return 0;
}

void click(int x, int y)
{
    const std::string xs = std::to_string(x);
    const std::string ys = std::to_string(y);
    // The pointer leaves the window afterwards: no hover effect or tooltip counts as cost.
    const pid_t child = launch({"/usr/bin/xdotool", "mousemove", "--sync", xs, ys, "click", "1",
                                "mousemove", "--sync", "0", "0"});
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        die("xdotool failed");
    }
}

struct CostOptions
{
    int seconds = defaultCostSeconds;
    int warmupMs = defaultWarmupMs;
    std::optional<std::pair<int, int>> clickAt;
    int clientHeight = 0;
    pid_t serverPid = 0;
    std::vector<std::string> command;
};

int cost(const CostOptions& options)
{
    Watcher watcher;
    watcher.reset();
    const pid_t child = launch(options.command);
    watcher.drain(frameTimeoutMs, true);
    if (!watcher.frameDone()) {
        finish(child);
        die(options.command[0] + " showed no complete frame");
    }
    watcher.drain(defaultSettleMs);
    const Window window = *watcher.mainWindow();
    if (options.clickAt) {
        const int menuHeight = window.height - options.clientHeight;
        click(window.x + options.clickAt->first, window.y + menuHeight + options.clickAt->second);
    }
    watcher.drain(options.warmupMs);
    const long drawnInWarmup = watcher.damageEvents();

    watcher.resetDrawing();
    const long ticksBefore = processTicks(child);
    const ThreadTotals before = threadTotals(child);
    const long serverBefore = options.serverPid != 0 ? processTicks(options.serverPid) : 0;
    const auto from = SteadyClock::now();
    watcher.drain(options.seconds * 1000);
    const double elapsedMs = msSince(from, SteadyClock::now());
    const long ticksAfter = processTicks(child);
    const ThreadTotals after = threadTotals(child);
    const long serverAfter = options.serverPid != 0 ? processTicks(options.serverPid) : 0;
    finish(child);

    const double msPerTick = 1000.0 / double(sysconf(_SC_CLK_TCK));
    const double statMs = double(ticksAfter - ticksBefore) * msPerTick;
    const double schedMs = (after.cpuNs - before.cpuNs) / 1e6;
    const xcb_rectangle_t box = watcher.damageBox();
    std::printf("cost_elapsed_ms %.1f\n", elapsedMs);
    std::printf("cost_cpu_ms %.1f %.3f\n", statMs, schedMs);
    std::printf("cost_share_percent %.4f %.4f\n", 100 * statMs / elapsedMs,
                100 * schedMs / elapsedMs);
    std::printf("cost_wakeups_per_s %.2f\n",
                double(after.contextSwitches - before.contextSwitches) * 1000 / elapsedMs);
    std::printf("cost_drawn %ld %ld %d %d %d %d %d %d %ld\n", watcher.damageEvents(),
                watcher.damagedPixels(), box.x, box.y, box.width, box.height, window.width,
                window.height, drawnInWarmup);
    if (options.serverPid != 0) {
        std::printf("cost_server_cpu_ms %.1f\n", double(serverAfter - serverBefore) * msPerTick);
    }
    std::fflush(stdout);
    return 0;
}

int usage()
{
    std::fputs("usage: bench_window startup [--runs N] [--settle-ms M] OURS FLOOR\n"
               "       bench_window cost [--seconds S] [--warmup-ms W] [--click X,Y "
               "--client-height H] [--server-pid P] PROGRAM [ARGS...]\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    std::signal(SIGPIPE, SIG_IGN);
    if (argc < 2) {
        return usage();
    }
    const std::string mode = argv[1];
    if (mode == "startup") {
        int runs = defaultRuns;
        int settleMs = defaultSettleMs;
        std::vector<std::string> programs;
        for (int i = 2; i < argc; ++i) {
            const std::string option = argv[i];
            if (option == "--runs" && i + 1 < argc) {
                runs = std::atoi(argv[++i]);
            } else if (option == "--settle-ms" && i + 1 < argc) {
                settleMs = std::atoi(argv[++i]);
            } else {
                programs.push_back(option);
            }
        }
        if (programs.size() != 2 || runs < 1) {
            return usage();
        }
        return startup(runs, settleMs, programs[0], programs[1]);
    }
    if (mode == "cost") {
        CostOptions options;
        int i = 2;
        for (; i < argc && argv[i][0] == '-'; ++i) {
            const std::string option = argv[i];
            if (i + 1 >= argc) {
                return usage();
            }
            const std::string value = argv[++i];
            if (option == "--seconds") {
                options.seconds = std::stoi(value);
            } else if (option == "--warmup-ms") {
                options.warmupMs = std::stoi(value);
            } else if (option == "--client-height") {
                options.clientHeight = std::stoi(value);
            } else if (option == "--server-pid") {
                options.serverPid = std::stoi(value);
            } else if (option == "--click" && value.find(',') != std::string::npos) {
                options.clickAt = std::make_pair(std::stoi(value.substr(0, value.find(','))),
                                                 std::stoi(value.substr(value.find(',') + 1)));
            } else {
                return usage();
            }
        }
        for (; i < argc; ++i) {
            options.command.emplace_back(argv[i]);
        }
        if (options.command.empty() || options.seconds < 1) {
            return usage();
        }
        return cost(options);
    }
    return usage();
}
