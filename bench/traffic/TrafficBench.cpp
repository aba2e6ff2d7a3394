// The traffic window under long lines, shown on the X server:
//
//   line cost  CPU time of the GUI thread for one new line of 4 KB (the line
//              added, laid out and painted), with 10, 40 (more than a screen:
//              the view scrolls) and 5,000 lines shown;
//   stall      10,000 lines of 4 KB arriving 20 at a time from the event loop:
//              the longest time the loop took between two batches;
//   flood      the real panel on a pseudo-terminal, "Traffic..." open with
//              5,000 lines of 4 KB, while the module's end writes 1,200 bytes of
//              garbage every 500 ms (a module at another line speed): the
//              process's CPU share over the flood.
//
// Prints key=value lines on standard output.

#include "app/TrafficLog.h"
#include "app/TrafficWindow.h"
#include "app/frmVELD.h"
#include "ui_TrafficWindow.h"
#include "ui_frmVELD.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace Qt::StringLiterals;
using veld::app::TrafficLog;

constexpr int kFewLines = 10;
constexpr int kScreenLines = 40; // more than the window shows: it scrolls
constexpr int kManyLines = 5000;
constexpr std::size_t kGarbageBytes = 1200; // about 3.6 KB of hex
constexpr std::size_t kLineBytes = 1365;    // 4 KB of hex

double threadCpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double processCpuMs() {
    rusage r{};
    ::getrusage(RUSAGE_SELF, &r);
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    return ms(r.ru_utime) + ms(r.ru_stime);
}

struct Cost {
    double median = 0, min = 0;
};

Cost summarise(std::vector<double> v) {
    if (v.empty())
        return {};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front()};
}

// A read of garbage: the bytes skipped, no message.
veld::protocol::DecodedRead garbageRead(std::size_t size) {
    veld::protocol::DecodedRead read;
    for (std::size_t i = 0; i < size; ++i)
        read.bytes.push_back(static_cast<std::uint8_t>(0x1F + (i % 7) * 0x20));
    read.skippedBytes = size;
    return read;
}

// Until the posted layout and the paint it asks for are done.
void settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// CPU time of one new line with `lines` shown, over `samples`: for few
// lines each sample starts again from `lines` - 1; for many, one more line
// changes nothing.
Cost lineCost(TrafficLog& log, int lines, int samples) {
    const veld::protocol::DecodedRead read = garbageRead(kLineBytes);
    std::vector<double> costs;
    for (int s = 0; s < samples; ++s) {
        if (s == 0 || lines < kManyLines) {
            log.clear();
            for (int i = 0; i < lines - 1; ++i)
                log.readTaken(read);
            settle();
        }
        const double start = threadCpuMs();
        log.readTaken(read);
        settle();
        costs.push_back(threadCpuMs() - start);
    }
    return summarise(costs);
}

// Longest gap between batches while `total` lines arrive, `batch` per pass.
double longestStallMs(TrafficLog& log, int total, int batch) {
    log.clear();
    settle();
    const veld::protocol::DecodedRead read = garbageRead(kLineBytes);
    QEventLoop loop;
    QTimer feeder;
    QElapsedTimer clock;
    double longest = 0;
    qint64 last = -1;
    int sent = 0;
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0)
            longest = std::max(longest, static_cast<double>(now - last) / 1e6);
        if (sent >= total) {
            loop.quit();
            return;
        }
        for (int i = 0; i < batch; ++i, ++sent)
            log.readTaken(read);
        last = clock.nsecsElapsed();
    });
    clock.start();
    feeder.start(0);
    loop.exec();
    return longest;
}

// The real panel with "Traffic..." open, flooded through its serial port.
double floodShare(int seconds) {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        qFatal("openpty: %s", std::strerror(errno));
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    qputenv("VELD_COM1", name);

    double share = 0;
    {
        veld::app::frmVELD window;
        window.setMessageBox(
            [](QWidget*, const QString& title, const QString& text, const QString&) {
                qFatal("box: %s: %s", qUtf8Printable(title), qUtf8Printable(text));
            });
        window.Form_Load();
        window.show();
        window.form().mnuTraffic->trigger();
        veld::app::TrafficWindow* traffic = window.trafficWindow();
        if (!QTest::qWaitForWindowExposed(traffic))
            qFatal("the traffic window was not shown");
        // What the window had already collected, in the log it shows.
        auto* log = qobject_cast<TrafficLog*>(traffic->form().lstTraffic->model());
        const veld::protocol::DecodedRead read = garbageRead(kLineBytes);
        for (int i = 0; i < kManyLines; ++i)
            log->readTaken(read);
        settle();

        const veld::protocol::Bytes garbage = garbageRead(kGarbageBytes).bytes;
        QTimer module;
        QObject::connect(&module, &QTimer::timeout, [&] {
            if (::write(master, garbage.data(), garbage.size()) < 0)
                qFatal("write: %s", std::strerror(errno));
        });
        char drain[4096];
        QTimer heard; // what the panel writes is read and dropped
        QObject::connect(&heard, &QTimer::timeout, [&] {
            while (::read(master, drain, sizeof drain) > 0) {
            }
        });
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        QElapsedTimer wall;
        const double start = processCpuMs();
        wall.start();
        module.start(500);
        heard.start(500);
        loop.exec();
        share = (processCpuMs() - start) / static_cast<double>(wall.elapsed()) * 100;
        std::printf("flood.lines=%d\n", log->rowCount());
    }
    ::close(master);
    ::close(slave);
    return share;
}

} // namespace

int main(int argc, char* argv[]) {
    int samples = 21;
    int floodSeconds = 60;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--samples")
            samples = std::atoi(argv[i + 1]);
        else if (option == "--flood-seconds")
            floodSeconds = std::atoi(argv[i + 1]);
    }
    QApplication application(argc, argv);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());

    {
        TrafficLog log([] { return QTime(12, 0); });
        log.setWatched(true);
        veld::app::TrafficWindow window(
            log, [](QWidget*, const QString&) {}, nullptr);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("the traffic window was not shown");
        const std::pair<const char*, int> cases[] = {
            {"few", kFewLines}, {"screen", kScreenLines}, {"many", kManyLines}};
        for (const auto& [name, lines] : cases) {
            const Cost cost = lineCost(log, lines, samples);
            std::printf("line.%s.lines=%d\nline.%s.cpu_ms=%.3f\nline.%s.min_cpu_ms=%.3f\n", name,
                        lines, name, cost.median, name, cost.min);
        }
        std::printf("stall.lines=%d\nstall.max_ms=%.1f\n", TrafficLog::kMaxLines,
                    longestStallMs(log, TrafficLog::kMaxLines, 20));
    }
    std::printf("flood.seconds=%d\nflood.cpu_pct=%.2f\n", floodSeconds, floodShare(floodSeconds));
    return 0;
}
