// Starts window programs on the X server named by DISPLAY and measures them
// from outside:
//   start-up   from just before fork() to the MapNotify of the program's own
//              top-level window (matched by _NET_WM_PID),
//   footprint  VmRSS a settle time after the window is mapped,
//   idle cost  CPU time (utime + stime from /proc/PID/stat, and the
//              nanosecond run time of every thread from schedstat) over an
//              idle window.
// Each program gets its own pseudo-terminal, whose slave path goes in VELD_COM1,
// and its own empty XDG_CONFIG_HOME. A run only counts when the program has the
// slave open after the settle time, so a port that failed to open (and its
// message box) can never pass for a start-up.
//
// Prints one "run ..." line per measurement on standard error and the medians
// as key=value lines on standard output.

#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <iterator>
#include <memory>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct App {
    std::string name;
    std::vector<std::string> argv; // program path first
    bool idleOnly = false;
};

struct Options {
    std::vector<App> apps;
    int runs = 11;
    int warmups = 1;
    int settleMs = 1000;
    int idleSeconds = 60;
    int idleRuns = 1;
    int mapTimeoutMs = 15000;
};

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "startup-probe: %s\n", what.c_str());
    std::exit(2);
}

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A pseudo-terminal for one program, and a settings folder of its own.
class Sandbox {
public:
    Sandbox() {
        char name[256] = {};
        int slave = -1;
        if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
            die(std::string("openpty: ") + std::strerror(errno));
        termios t{};
        ::tcgetattr(slave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave, TCSANOW, &t);
        ::close(slave);
        ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_slavePath = name;
        char dir[] = "/tmp/veld-bench-XXXXXX";
        if (!::mkdtemp(dir))
            die(std::string("mkdtemp: ") + std::strerror(errno));
        m_configDir = dir;
    }
    ~Sandbox() {
        ::close(m_master);
        ::nftw(
            m_configDir.c_str(),
            [](const char* path, const struct stat*, int, FTW*) { return ::remove(path); }, 16,
            FTW_DEPTH | FTW_PHYS);
    }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::string& slavePath() const { return m_slavePath; }
    const std::string& configDir() const { return m_configDir; }
    // Whatever the program wrote at start-up; a full pty buffer would block it.
    void drain() {
        char buf[4096];
        while (::read(m_master, buf, sizeof buf) > 0) {
        }
    }

private:
    int m_master = -1;
    std::string m_slavePath;
    std::string m_configDir;
};

class XWatcher {
public:
    XWatcher() {
        m_conn = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_conn))
            die("cannot connect to the X server in DISPLAY");
        ::fcntl(xcb_get_file_descriptor(m_conn), F_SETFD, FD_CLOEXEC);
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_conn, screen->root, XCB_CW_EVENT_MASK, &mask);
        m_pidAtom = atom("_NET_WM_PID");
        xcb_flush(m_conn);
    }
    ~XWatcher() { xcb_disconnect(m_conn); }
    XWatcher(const XWatcher&) = delete;
    XWatcher& operator=(const XWatcher&) = delete;

    // Waits for a normal top-level window of `pid` to be mapped; returns the
    // time it was seen, or nothing on time-out.
    std::optional<Clock::time_point> waitForMap(pid_t pid, Clock::time_point deadline) {
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_conn)) {
                const auto now = Clock::now();
                const bool ours = (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                                  isOwnedBy(reinterpret_cast<xcb_map_notify_event_t*>(event), pid);
                std::free(event);
                if (ours)
                    return now;
            }
            if (xcb_connection_has_error(m_conn))
                die("lost the X server");
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return std::nullopt;
            pollfd p{xcb_get_file_descriptor(m_conn), POLLIN, 0};
            ::poll(&p, 1, static_cast<int>(left.count()));
        }
    }

    // Events left over from an earlier run.
    void discard() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_conn))
            std::free(event);
    }

private:
    xcb_atom_t atom(const char* name) {
        auto cookie = xcb_intern_atom(m_conn, 0, static_cast<uint16_t>(std::strlen(name)), name);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(m_conn, cookie, nullptr);
        if (!reply)
            die("cannot intern atom");
        const xcb_atom_t a = reply->atom;
        std::free(reply);
        return a;
    }

    bool isOwnedBy(const xcb_map_notify_event_t* map, pid_t pid) {
        if (map->override_redirect)
            return false;
        auto cookie = xcb_get_property(m_conn, 0, map->window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(m_conn, cookie, nullptr);
        bool owned = false;
        if (reply && xcb_get_property_value_length(reply) == 4)
            owned = *static_cast<const uint32_t*>(xcb_get_property_value(reply)) ==
                    static_cast<uint32_t>(pid);
        std::free(reply);
        return owned;
    }

    xcb_connection_t* m_conn = nullptr;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
};

pid_t launch(const App& app, const Sandbox& box) {
    const pid_t pid = ::fork();
    if (pid < 0)
        die(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        ::setenv("VELD_COM1", box.slavePath().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", box.configDir().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        std::vector<char*> argv;
        for (const std::string& a : app.argv)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        std::fprintf(stderr, "startup-probe: exec %s: %s\n", argv[0], std::strerror(errno));
        ::_exit(127);
    }
    return pid;
}

void stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

bool hasOpen(pid_t pid, const std::string& path) {
    const std::string dir = "/proc/" + std::to_string(pid) + "/fd";
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return false;
    bool found = false;
    while (dirent* e = ::readdir(d)) {
        char target[512];
        const std::string link = dir + "/" + e->d_name;
        const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == path)
            found = true;
    }
    ::closedir(d);
    return found;
}

long residentKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

struct CpuTime {
    double statMs = 0;  // utime + stime, in clock ticks turned into ms
    double schedMs = 0; // sum of every thread's run time from schedstat
    double waitMs = 0;  // sum of every thread's wait for a CPU, from schedstat
};

CpuTime cpuTime(pid_t pid) {
    CpuTime t;
    const std::string base = "/proc/" + std::to_string(pid);
    {
        std::ifstream in(base + "/stat");
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // Fields after the command name, which may hold spaces, start after ')'.
        std::istringstream fields(all.substr(all.rfind(')') + 2));
        std::string field;
        unsigned long long utime = 0, stime = 0;
        for (int i = 3; fields >> field; ++i) {
            if (i == 14)
                utime = std::stoull(field);
            if (i == 15) {
                stime = std::stoull(field);
                break;
            }
        }
        t.statMs = static_cast<double>(utime + stime) * 1000.0 /
                   static_cast<double>(::sysconf(_SC_CLK_TCK));
    }
    if (DIR* d = ::opendir((base + "/task").c_str())) {
        while (dirent* e = ::readdir(d)) {
            if (e->d_name[0] == '.')
                continue;
            std::ifstream in(base + "/task/" + e->d_name + "/schedstat");
            unsigned long long ns = 0, waitNs = 0;
            if (in >> ns >> waitNs) {
                t.schedMs += static_cast<double>(ns) / 1e6;
                t.waitMs += static_cast<double>(waitNs) / 1e6;
            }
        }
        ::closedir(d);
    }
    return t;
}

struct Started {
    pid_t pid;
    double startupMs;
    double cpuMs;  // run time of all its threads up to the map, less sensitive to load
    double waitMs; // time its threads waited for a CPU up to the map
};

std::optional<Started> startAndWait(XWatcher& x, const App& app, Sandbox& box, int timeoutMs) {
    x.discard();
    const auto t0 = Clock::now();
    const pid_t pid = launch(app, box);
    const auto mapped = x.waitForMap(pid, t0 + std::chrono::milliseconds(timeoutMs));
    if (!mapped) {
        std::fprintf(stderr, "startup-probe: %s: no window within %d ms\n", app.name.c_str(),
                     timeoutMs);
        stop(pid);
        return std::nullopt;
    }
    const CpuTime used = cpuTime(pid);
    return Started{pid, std::chrono::duration<double, std::milli>(*mapped - t0).count(),
                   used.schedMs, used.waitMs};
}

int usage() {
    std::fprintf(stderr,
                 "usage: startup-probe --app 'NAME=PATH [ARG...]' [--app ...] [--idle-app ...]\n"
                 "       [--runs N] [--warmups N] [--settle-ms MS] [--idle-seconds S]\n"
                 "       [--idle-runs N]\n"
                 "Needs DISPLAY. --idle-app programs are measured idle only. --runs 0 skips\n"
                 "start-up; --idle-runs 0 skips idle. A program named floor* need not open\n"
                 "its pseudo-terminal.\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc)
                std::exit(usage());
            return argv[++i];
        };
        if (a == "--app" || a == "--idle-app") {
            // NAME=PATH [ARG ...], split at spaces.
            const std::string v = next();
            const auto eq = v.find('=');
            if (eq == std::string::npos)
                return usage();
            App app{v.substr(0, eq), {}, a == "--idle-app"};
            std::istringstream words(v.substr(eq + 1));
            for (std::string w; words >> w;)
                app.argv.push_back(w);
            if (app.argv.empty())
                return usage();
            o.apps.push_back(std::move(app));
        } else if (a == "--runs") {
            o.runs = std::stoi(next());
        } else if (a == "--warmups") {
            o.warmups = std::stoi(next());
        } else if (a == "--settle-ms") {
            o.settleMs = std::stoi(next());
        } else if (a == "--idle-seconds") {
            o.idleSeconds = std::stoi(next());
        } else if (a == "--idle-runs") {
            o.idleRuns = std::stoi(next());
        } else {
            return usage();
        }
    }
    if (o.apps.empty())
        return usage();
    ::signal(SIGPIPE, SIG_IGN);

    XWatcher x;
    int failures = 0;
    std::vector<std::vector<double>> startup(o.apps.size()), startupCpu(o.apps.size()),
        startupWait(o.apps.size()), rss(o.apps.size());

    // Start-up and footprint: the programs take turns, and the first one of
    // each run changes, so that drift on the machine hits them all alike.
    for (int run = -o.warmups; run < o.runs; ++run) {
        for (std::size_t k = 0; k < o.apps.size(); ++k) {
            const std::size_t i = (k + static_cast<std::size_t>(std::max(run, 0))) % o.apps.size();
            const App& app = o.apps[i];
            if (app.idleOnly)
                continue;
            Sandbox box;
            const auto started = startAndWait(x, app, box, o.mapTimeoutMs);
            if (!started) {
                ++failures;
                continue;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(o.settleMs));
            box.drain();
            const bool portOpen = hasOpen(started->pid, box.slavePath());
            const long kb = residentKb(started->pid);
            stop(started->pid);
            std::fprintf(stderr,
                         "run %s %d: start-up %.1f ms (%.1f ms CPU, %.1f ms waiting for one), rss "
                         "%ld kB, pty %s%s\n",
                         app.name.c_str(), run, started->startupMs, started->cpuMs, started->waitMs,
                         kb, portOpen ? "open" : "NOT OPEN",
                         run < 0 ? " (warm-up, not counted)" : "");
            if (!portOpen && app.name.rfind("floor", 0) != 0) {
                ++failures;
                continue;
            }
            if (run >= 0) {
                startup[i].push_back(started->startupMs);
                startupCpu[i].push_back(started->cpuMs);
                startupWait[i].push_back(started->waitMs);
                rss[i].push_back(static_cast<double>(kb));
            }
        }
    }

    // Idle: every program up at once, each with its port open, left alone.
    std::vector<std::vector<double>> idleStat(o.apps.size()), idleSched(o.apps.size());
    for (int run = 0; run < o.idleRuns; ++run) {
        std::vector<std::unique_ptr<Sandbox>> boxes;
        std::vector<pid_t> pids;
        for (const App& app : o.apps) {
            boxes.push_back(std::make_unique<Sandbox>());
            const auto started = startAndWait(x, app, *boxes.back(), o.mapTimeoutMs);
            pids.push_back(started ? started->pid : -1);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(o.settleMs + 1000));
        std::vector<CpuTime> before;
        for (std::size_t i = 0; i < pids.size(); ++i) {
            boxes[i]->drain();
            before.push_back(pids[i] > 0 ? cpuTime(pids[i]) : CpuTime{});
        }
        const auto t0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(o.idleSeconds));
        const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        for (std::size_t i = 0; i < pids.size(); ++i) {
            if (pids[i] <= 0) {
                ++failures;
                continue;
            }
            const CpuTime after = cpuTime(pids[i]);
            const bool portOpen = hasOpen(pids[i], boxes[i]->slavePath());
            stop(pids[i]);
            const double statMs = after.statMs - before[i].statMs;
            const double schedMs = after.schedMs - before[i].schedMs;
            std::fprintf(stderr,
                         "idle %s %d: %.0f ms utime+stime, %.2f ms run time in %.1f s, pty %s\n",
                         o.apps[i].name.c_str(), run, statMs, schedMs, wallMs / 1000,
                         portOpen ? "open" : "NOT OPEN");
            if (!portOpen && o.apps[i].name.rfind("floor", 0) != 0) {
                ++failures;
                continue;
            }
            idleStat[i].push_back(100.0 * statMs / wallMs);
            idleSched[i].push_back(100.0 * schedMs / wallMs);
        }
    }

    for (std::size_t i = 0; i < o.apps.size(); ++i) {
        const char* n = o.apps[i].name.c_str();
        if (!startup[i].empty()) {
            std::printf("startup.%s.median_ms=%.1f\n", n, median(startup[i]));
            std::printf("startup.%s.median_cpu_ms=%.1f\n", n, median(startupCpu[i]));
            std::printf("startup.%s.median_wait_ms=%.1f\n", n, median(startupWait[i]));
            std::printf("startup.%s.runs=%zu\n", n, startup[i].size());
            std::printf("rss.%s.median_kb=%.0f\n", n, median(rss[i]));
        }
        if (!idleStat[i].empty()) {
            std::printf("idle.%s.median_pct=%.4f\n", n, median(idleStat[i]));
            std::printf("idle.%s.median_sched_pct=%.4f\n", n, median(idleSched[i]));
            std::printf("idle.%s.runs=%zu\n", n, idleStat[i].size());
        }
    }
    std::printf("probe.failures=%d\n", failures);
    return failures ? 1 : 0;
}
