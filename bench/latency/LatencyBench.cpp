// In-process timing of the panel's two paths to and from the wire, with the
// real window, the real serial control and a pseudo-terminal as the module:
//
//   click to wire     a synthetic mouse click on a button, to the whole frame
//                     readable at the module's end of the pty;
//   receive to screen a module message written at the module's end at a random
//                     moment, to the label showing it: the moment Timer1's tick
//                     has set the text, and the moment the label paints it.
//
// Also checks that every frame arrives whole in one read, and prints the
// descriptor of the serial port so that a trace of write() calls can be
// counted from outside (run.sh does that under strace).
//
// Prints samples' summaries as key=value lines on standard output.

#include "app/frmVELD.h"
#include "ui_frmVELD.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace Qt::StringLiterals;

struct Options {
    int clicks = 1000;
    int textClicks = 100;
    int messages = 200;
};

struct Summary {
    double median = 0, p99 = 0, min = 0, max = 0;
};

Summary summarise(std::vector<double> v) {
    Summary s;
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    s.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    // Nearest rank.
    const auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(n)));
    s.p99 = v[std::clamp<std::size_t>(rank, 1, n) - 1];
    s.min = v.front();
    s.max = v.back();
    return s;
}

void print(const char* key, const Summary& s) {
    std::printf("%s.median_ms=%.4f\n%s.p99_ms=%.4f\n%s.min_ms=%.4f\n%s.max_ms=%.4f\n", key,
                s.median, key, s.p99, key, s.min, key, s.max);
}

// The module's end of a pseudo-terminal.
class ModuleEnd {
public:
    ModuleEnd() {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            qFatal("openpty: %s", std::strerror(errno));
        termios t{};
        ::tcgetattr(m_slave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(m_slave, TCSANOW, &t);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_slavePath = QString::fromLocal8Bit(name);
    }
    ~ModuleEnd() {
        ::close(m_master);
        ::close(m_slave);
    }
    ModuleEnd(const ModuleEnd&) = delete;
    ModuleEnd& operator=(const ModuleEnd&) = delete;

    QString slavePath() const { return m_slavePath; }

    // Waits for exactly `count` bytes; `reads` tells how many read() calls
    // returned data. Gives up after 2 s.
    QByteArray take(qsizetype count, int* reads) {
        QByteArray out;
        *reads = 0;
        while (out.size() < count) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0)
                break;
            char buf[64];
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n > 0) {
                out.append(buf, n);
                ++*reads;
            }
        }
        return out;
    }

    // Everything that arrives within `quietMs`.
    QByteArray drain(int quietMs = 0) {
        QByteArray out;
        char buf[4096];
        for (;;) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0)
                break;
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n <= 0)
                break;
            out.append(buf, n);
        }
        return out;
    }

    void send(const QByteArray& bytes) {
        if (::write(m_master, bytes.constData(), static_cast<size_t>(bytes.size())) != bytes.size())
            qFatal("pty write: %s", std::strerror(errno));
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};

// The descriptor on which this process has `path` open, besides `exclude`.
int descriptorOf(const QString& path, int exclude) {
    int found = -1;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (dirent* e = ::readdir(d)) {
            char target[512];
            const QByteArray link = "/proc/self/fd/" + QByteArray(e->d_name);
            const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
            const int fd = std::atoi(e->d_name);
            if (n > 0 && QString::fromLocal8Bit(target, n) == path && fd != exclude)
                found = fd;
        }
        ::closedir(d);
    }
    return found;
}

// Time this thread has spent waiting on a run queue, from the scheduler's
// statistics: on a loaded machine, the part of a sample that is someone else's.
qint64 runQueueWaitNs() {
    char buf[128] = {};
    const int fd = ::open("/proc/thread-self/schedstat", O_RDONLY);
    if (fd < 0)
        return 0;
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0)
        return 0;
    long long onCpu = 0, waiting = 0;
    if (std::sscanf(buf, "%lld %lld", &onCpu, &waiting) != 2)
        return 0;
    return waiting;
}

enum class ClickBy { Mouse, Call };

struct ClickSamples {
    std::vector<double> ms;    // click to the frame at the module's end
    std::vector<double> ownMs; // the same less this thread's run-queue wait
    int waited = 0;            // samples that waited on a run queue at all
};

// Runs `clicks` clicks on `button`, by mouse events or by QAbstractButton::click(),
// and checks that each frame arrives whole.
ClickSamples clickToWire(veld::app::frmVELD& window, ModuleEnd& module, QAbstractButton* button,
                         ClickBy how, int clicks, int* splitFrames, int* wrongFrames) {
    ClickSamples out;
    out.ms.reserve(static_cast<std::size_t>(clicks));
    out.ownMs.reserve(static_cast<std::size_t>(clicks));
    QElapsedTimer clock;
    for (int i = 0; i < clicks; ++i) {
        // Paint and timer work left over from the last click happens here,
        // outside the timed part, as it would between a person's clicks.
        QCoreApplication::processEvents();
        module.drain();
        // Timed from the release, which is what makes a click: the press only
        // shows the button down, long before, when a person clicks.
        if (how == ClickBy::Mouse)
            QTest::mousePress(button, Qt::LeftButton);
        const qint64 waitBefore = runQueueWaitNs();
        clock.start();
        if (how == ClickBy::Mouse)
            QTest::mouseRelease(button, Qt::LeftButton);
        else
            button->click();
        int reads = 0;
        const QByteArray frame = module.take(3, &reads);
        const qint64 ns = clock.nsecsElapsed();
        const qint64 waited = runQueueWaitNs() - waitBefore;
        const auto& sent = window.lastCommand();
        QByteArray rest;
        if (frame.size() < static_cast<qsizetype>(sent.size()))
            rest = module.take(static_cast<qsizetype>(sent.size()) - frame.size(), &reads);
        const QByteArray whole = frame + rest;
        if (whole != QByteArray(reinterpret_cast<const char*>(sent.data()),
                                static_cast<qsizetype>(sent.size())))
            ++*wrongFrames;
        if (reads > 1 || !rest.isEmpty())
            ++*splitFrames;
        out.ms.push_back(static_cast<double>(ns) / 1e6);
        out.ownMs.push_back(static_cast<double>(std::max<qint64>(ns - waited, 0)) / 1e6);
        if (waited > 0)
            ++out.waited;
    }
    return out;
}

struct ReceiveSamples {
    std::vector<double> textMs;
    std::vector<double> paintMs;
    std::vector<double> tickGapMs;
    int missed = 0;
};

// Watches one label: the first paint after its text has changed.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QLabel* label)
        : m_label(label) {
        label->installEventFilter(this);
    }
    void arm(QElapsedTimer* clock, qint64 sentNs) {
        m_clock = clock;
        m_sentNs = sentNs;
        m_armed = true;
        m_paintNs = -1;
    }
    qint64 paintNs() const { return m_paintNs; }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_armed && watched == m_label && event->type() == QEvent::Paint &&
            m_label->text() != m_before) {
            m_paintNs = m_clock->nsecsElapsed() - m_sentNs;
            m_armed = false;
        }
        return false;
    }
    void setBefore(const QString& text) { m_before = text; }

private:
    QLabel* m_label;
    QElapsedTimer* m_clock = nullptr;
    qint64 m_sentNs = 0;
    qint64 m_paintNs = -1;
    bool m_armed = false;
    QString m_before;
};

ReceiveSamples receiveToScreen(veld::app::frmVELD& window, ModuleEnd& module, int messages) {
    ReceiveSamples out;
    if (messages <= 0)
        return out;
    QTimer* timer1 = &window.timer1();
    QLabel* counter = window.form().lblCounter;
    const QByteArray message("\xFE\x05\x00\xFF", 4);
    QElapsedTimer clock;
    clock.start();
    PaintWatch paint(counter);
    QRandomGenerator random(20261205);

    qint64 sentNs = -1;
    qint64 textNs = -1;
    qint64 lastTickNs = -1;
    QString before;
    int done = 0;
    QEventLoop loop;
    QTimer sender;
    sender.setSingleShot(true);
    sender.setTimerType(Qt::PreciseTimer);

    auto scheduleNext = [&] {
        if (done >= messages) {
            // Let the last paint land, then stop.
            QTimer::singleShot(100, &loop, &QEventLoop::quit);
            return;
        }
        // A random phase against Timer1.
        sender.start(static_cast<int>(random.bounded(timer1->interval())));
    };
    QObject::connect(&sender, &QTimer::timeout, &loop, [&] {
        before = counter->text();
        paint.setBefore(before);
        sentNs = clock.nsecsElapsed();
        module.send(message);
        paint.arm(&clock, sentNs);
        textNs = -1;
    });
    // Connected after the window's own handler, so this runs right after each tick.
    QObject::connect(timer1, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastTickNs >= 0)
            out.tickGapMs.push_back(static_cast<double>(now - lastTickNs) / 1e6);
        lastTickNs = now;
        if (sentNs < 0)
            return;
        if (counter->text() != before) {
            textNs = now - sentNs;
        } else if (now - sentNs > 3 * timer1->interval() * 1'000'000LL) {
            ++out.missed;
        } else {
            return;
        }
        // Wait for the paint (or give up on it) before the next message.
        sentNs = -1;
        QTimer::singleShot(50, &loop, [&, textNs] {
            ++done;
            if (textNs >= 0) {
                out.textMs.push_back(static_cast<double>(textNs) / 1e6);
                if (paint.paintNs() >= 0)
                    out.paintMs.push_back(static_cast<double>(paint.paintNs()) / 1e6);
                else
                    ++out.missed;
            }
            scheduleNext();
        });
    });
    scheduleNext();
    loop.exec();
    return out;
}

int usage() {
    std::fprintf(stderr,
                 "usage: veld_bench_latency [--clicks N] [--text-clicks N] [--messages N]\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (i + 1 >= argc)
            return usage();
        const int v = std::atoi(argv[++i]);
        if (a == "--clicks")
            o.clicks = v;
        else if (a == "--text-clicks")
            o.textClicks = v;
        else if (a == "--messages")
            o.messages = v;
        else
            return usage();
    }

    QTemporaryDir config;
    if (!config.isValid())
        qFatal("no temporary folder");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    ModuleEnd module;
    qputenv("VELD_COM1", module.slavePath().toLocal8Bit());

    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(u"VELD"_s);
    QCoreApplication::setApplicationName(u"VELD"_s);

    veld::app::frmVELD window;
    bool failed = false;
    window.setMessageBox([&](QWidget*, const QString& title, const QString& text, const QString&) {
        std::fprintf(stderr, "message box: %s: %s\n", qUtf8Printable(title), qUtf8Printable(text));
        failed = true;
    });
    window.Form_Load();
    if (failed || !window.serialControl().portOpen()) {
        std::fprintf(stderr, "the port on %s did not open\n", qUtf8Printable(module.slavePath()));
        return 1;
    }
    window.placeOnScreen();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was not exposed\n");
        return 1;
    }
    // What start-up sent, one terminator per frame.
    const auto startupFrames = module.drain(50).count('\xFF');
    const int serialFd = descriptorOf(module.slavePath(), -1);
    std::printf("serial.fd=%d\nframes.startup=%lld\n", serialFd,
                static_cast<long long>(startupFrames));
    std::fflush(stdout);

    int split = 0;
    int wrong = 0;
    auto* flash = window.form().cmdFlash;
    const auto clicks =
        clickToWire(window, module, flash, ClickBy::Mouse, o.clicks, &split, &wrong);
    const auto calls = clickToWire(window, module, flash, ClickBy::Call, o.clicks, &split, &wrong);

    // Nine-byte frames, for the one-read check only.
    auto* sendAscii = window.form().cmdSendAscii;
    auto* digits = window.form().txtDigit;
    int textSplit = 0;
    int textWrong = 0;
    for (int i = 0; i < o.textClicks; ++i) {
        digits->setText(u"123456"_s);
        clickToWire(window, module, sendAscii, ClickBy::Mouse, 1, &textSplit, &textWrong);
    }
    module.drain(50);

    const ReceiveSamples received = receiveToScreen(window, module, o.messages);

    std::printf("click.count=%zu\nclick.waited=%d\ncall.waited=%d\n", clicks.ms.size(),
                clicks.waited, calls.waited);
    print("click", summarise(clicks.ms));
    print("click.own", summarise(clicks.ownMs));
    print("call", summarise(calls.ms));
    print("call.own", summarise(calls.ownMs));
    std::printf("frames.clicks=%d\n", 2 * o.clicks + o.textClicks);
    std::printf("frames.split=%d\nframes.wrong=%d\n", split + textSplit, wrong + textWrong);
    std::printf("receive.count=%zu\nreceive.missed=%d\n", received.paintMs.size(), received.missed);
    if (!received.textMs.empty()) {
        print("receive.text", summarise(received.textMs));
        print("receive.paint", summarise(received.paintMs));
        print("timer1.gap", summarise(received.tickGapMs));
        std::printf("timer1.interval_ms=%d\n", window.timer1().interval());
    }
    const bool ok = !clicks.ms.empty() && split + textSplit == 0 && wrong + textWrong == 0 &&
                    received.missed == 0;
    return ok ? 0 : 1;
}
