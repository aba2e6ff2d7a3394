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
bool waitReadable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    int r = 0;
    while ((r = ::poll(&p, 1, ms)) < 0 && errno == EINTR)
        ;
    return r > 0 && (p.revents & POLLIN);
}
} // namespace

PtyPair::PtyPair() {
    // A pty number whose lock another process has not removed yet (QSerialPort
    // closes the device first) is held while the next one is taken.
    std::vector<int> held;
    char name[256] = {};
    while (::openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0 &&
           QFile::exists(serial::portLockFile(QString::fromLocal8Bit(name))))
        held.insert(held.end(), {m_master, m_slave});
    for (const int fd : held)
        ::close(fd);
    m_slavePath = QString::fromLocal8Bit(name);
    m_link = m_linkFolder.filePath(u"tty"_s);
    if (m_slave < 0 || !QFile::link(m_slavePath, m_link))
        qFatal("no pty: %s", strerror(errno));
    termios t{};
    ::tcgetattr(m_slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(m_slave, TCSANOW, &t);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair() {
    closeMaster();
    ::close(m_slave);
}

void PtyPair::send(const QByteArray& bytes, bool waitForArrival) {
    const auto queued = [this] {
        int n = 0;
        return ::ioctl(m_slave, FIONREAD, &n) == 0 ? n : 0;
    };
    const qsizetype expected = std::min<qsizetype>(queued() + bytes.size(), 4095);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            qFatal("pty write failed: %s", strerror(errno));
        done += std::max<ssize_t>(n, 0);
    }
    const QDeadlineTimer deadline(2000);
    while (waitForArrival && queued() < expected && !deadline.hasExpired())
        std::this_thread::yield();
}

QByteArray PtyPair::receive(qsizetype count) {
    QByteArray out;
    const QDeadlineTimer deadline(2000);
    while (out.size() < count && !deadline.hasExpired())
        out += receiveFor(static_cast<int>(deadline.remainingTime()));
    return out + receiveFor(30);
}

QByteArray PtyPair::receiveFor(int milliseconds) {
    QByteArray out;
    char buffer[4096];
    for (ssize_t n = 0; waitReadable(m_master, out.isEmpty() ? milliseconds : 0) &&
                        (n = ::read(m_master, buffer, sizeof buffer)) > 0;)
        out.append(buffer, n);
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
    ::close(std::exchange(m_master, -1)); // a second time closes nothing (-1)
}

bool PtyPair::hangUp() {
    return ::ioctl(m_slave, TIOCVHANGUP) == 0;
}

QByteArray PtyPair::takeAtPanel(qsizetype count) {
    QByteArray out(count, '\0');
    out.resize(std::max<ssize_t>(::read(m_slave, out.data(), static_cast<std::size_t>(count)), 0));
    return out;
}

bool PtyPair::endOfFileRead() {
    termios t{};
    if (::tcgetattr(m_slave, &t) != 0)
        return false;
    t.c_lflag |= ICANON;
    if (::tcsetattr(m_slave, TCSANOW, &t) != 0)
        return false;
    send(QByteArray(1, '\x04'), false);
    const bool read = QTest::qWaitFor([this] { return !waitReadable(m_slave, 0); });
    t.c_lflag &= ~tcflag_t(ICANON);
    return ::tcsetattr(m_slave, TCSANOW, &t) == 0 && read;
}

} // namespace veld::test
