#include "support/PtyPair.h"

#include "serial/PortLock.h"
#include "tools/TermiosSpeed.h"

#include <QtTest>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace veld::test {

namespace {
constexpr int kWaitMs = 2000;
constexpr int kTrailingMs = 30;
// What the line discipline of a tty holds before the rest waits upstream.
constexpr qsizetype kTtyInputQueue = 4095;

bool waitReadable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, ms);
    } while (r < 0 && errno == EINTR);
    return r > 0 && (p.revents & POLLIN);
}
} // namespace

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

PtyPair::PtyPair() {
    // Another process may have let go of this pty number a moment ago and not
    // yet removed its lock named after it (QSerialPort closes the device
    // first): such a number is held while the next one is taken, then given back.
    std::vector<int> held;
    char name[256] = {};
    while (true) {
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            qFatal("openpty failed: %s", strerror(errno));
        m_slavePath = QString::fromLocal8Bit(name);
        if (!QFile::exists(serial::portLockFile(m_slavePath)))
            break;
        held.insert(held.end(), {m_master, m_slave});
    }
    for (const int fd : held)
        ::close(fd);
    m_link = m_linkFolder.filePath(QStringLiteral("tty"));
    if (!QFile::link(m_slavePath, m_link))
        qFatal("no link to %s", name);
    // The module's end reads raw bytes too.
    termios t{};
    ::tcgetattr(m_slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(m_slave, TCSANOW, &t);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair() {
    if (m_master >= 0)
        ::close(m_master);
    ::close(m_slave);
}

void PtyPair::send(const QByteArray& bytes, bool waitForArrival) {
    const int before = queuedAtPanel();
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            qFatal("pty write failed: %s", strerror(errno));
    }
    if (!waitForArrival)
        return;
    // The kernel hands the bytes on to the panel's end a moment later; wait
    // until all of them wait there, as far as its input queue holds them.
    const qsizetype expected = std::min<qsizetype>(before + bytes.size(), kTtyInputQueue);
    QDeadlineTimer deadline(kWaitMs);
    while (queuedAtPanel() < expected) {
        if (deadline.hasExpired()) {
            qWarning("bytes sent to the panel did not arrive");
            return;
        }
        std::this_thread::yield();
    }
}

int PtyPair::queuedAtPanel() const {
    int queued = 0;
    if (::ioctl(m_slave, FIONREAD, &queued) != 0)
        return 0;
    return queued;
}

QByteArray PtyPair::receive(qsizetype count) {
    QByteArray out;
    QDeadlineTimer deadline(kWaitMs);
    while (out.size() < count && !deadline.hasExpired()) {
        if (!waitReadable(m_master, static_cast<int>(deadline.remainingTime())))
            break;
        char buf[4096];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0)
            out.append(buf, n);
    }
    out += receiveFor(kTrailingMs);
    return out;
}

QByteArray PtyPair::receiveFor(int milliseconds) {
    QByteArray out;
    while (waitReadable(m_master, milliseconds)) {
        char buf[4096];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, n);
    }
    return out;
}

bool PtyPair::exclusive() const {
    int exclusive = 0;
    return ::ioctl(m_slave, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

int PtyPair::baudRate() const {
    termios t{};
    ::tcgetattr(m_slave, &t);
    return static_cast<int>(tools::bitsPerSecond(::cfgetospeed(&t)).value_or(0));
}

void PtyPair::closeMaster() {
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

bool PtyPair::hangUp() {
    return ::ioctl(m_slave, TIOCVHANGUP) == 0;
}

bool PtyPair::setCanonical(bool on) {
    termios t{};
    if (::tcgetattr(m_slave, &t) != 0)
        return false;
    t.c_lflag = on ? (t.c_lflag | ICANON) : (t.c_lflag & ~tcflag_t(ICANON));
    return ::tcsetattr(m_slave, TCSANOW, &t) == 0;
}

QByteArray PtyPair::takeAtPanel(qsizetype count) {
    QByteArray out(count, '\0');
    const ssize_t n = ::read(m_slave, out.data(), static_cast<std::size_t>(count));
    out.resize(std::max<ssize_t>(n, 0));
    return out;
}

bool PtyPair::readableAtPanel() const {
    return waitReadable(m_slave, 0);
}

} // namespace veld::test
