#pragma once

#include "module/PtyEndpoint.h"
#include "serial/PortLock.h"

#include <QByteArray>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <fcntl.h>
#include <ostream>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

// QStrings in GoogleTest's messages as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace veld::test {

using namespace Qt::StringLiterals; // u"..."_s in every test

// "FE 15 FF" as bytes.
inline QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

// A lock file (or any file) holding `content`, last written `age` seconds ago.
inline bool plantLock(const QString& path, const QByteArray& content, int age = 0) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() &&
           file.flush() &&
           file.setFileTime(QDateTime::currentDateTime().addSecs(-age),
                            QFileDevice::FileModificationTime);
}

// A pseudo-terminal pair: the panel opens the slave as its serial port, the
// test plays the module on the master.
class PtyPair {
public:
    PtyPair() {
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
        // Not inherited by the programs a test starts, so that closeMaster() ends the line.
        for (const int fd : {m_master, m_slave})
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    ~PtyPair() {
        closeMaster();
        ::close(m_slave);
    }
    Q_DISABLE_COPY_MOVE(PtyPair)

    // A link to the panel's end, as /dev/serial/by-id/ has; the device itself.
    QString slavePath() const { return m_link; }
    QString devicePath() const { return m_slavePath; }

    // Module to panel; by default waits until the bytes are at the panel's end.
    void send(const QByteArray& bytes, bool waitForArrival = true) {
        const qsizetype expected = std::min<qsizetype>(queued() + bytes.size(), 4095);
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                qFatal("pty write failed: %s", strerror(errno));
            done += std::max<ssize_t>(n, 0);
        }
        // With nothing waiting, poll wakes at the first byte; bytes already
        // waiting keep the end readable, so then it looks again each millisecond.
        for (const QDeadlineTimer deadline(2000);
             waitForArrival && queued() < expected && !deadline.hasExpired();) {
            const bool waiting = queued() > 0;
            readable(waiting ? -1 : m_slave, waiting ? 1 : int(deadline.remainingTime()));
        }
    }
    // Panel to module: waits up to two seconds for `count` bytes, then takes
    // what follows at once, so that extra bytes show up too.
    QByteArray receive(qsizetype count) {
        QByteArray out;
        const QDeadlineTimer deadline(2000);
        while (out.size() < count && !deadline.hasExpired())
            out += receiveFor(static_cast<int>(deadline.remainingTime()));
        return out + receiveFor(30);
    }
    QByteArray receiveFor(int milliseconds) {
        QByteArray out;
        char buffer[4096];
        for (ssize_t n = 0; readable(m_master, out.isEmpty() ? milliseconds : 0) &&
                            (n = ::read(m_master, buffer, sizeof buffer)) > 0;)
            out.append(buffer, n);
        return out;
    }

    // Another open of the device holds an flock() on it, as the panel does
    // from just before it opens the port until it has closed it.
    bool lockedByAnother() const {
        const bool free = ::flock(m_slave, LOCK_EX | LOCK_NB) == 0;
        return !(free && ::flock(m_slave, LOCK_UN) == 0);
    }
    // A lock file's name for the device: N its pty number, MMM.mmm its device numbers.
    QString lockName(const char* pattern) const {
        struct stat node {};
        ::stat(QFile::encodeName(m_slavePath).constData(), &node);
        return QString::fromLatin1(pattern)
            .replace(u"MMM.mmm"_s,
                     QString::asprintf("%03u.%03u", major(node.st_rdev), minor(node.st_rdev)))
            .replace(u'N', QFileInfo(m_slavePath).fileName());
    }
    // The panel's end held with TIOCEXCL.
    bool exclusive() const {
        int exclusive = 0;
        return ::ioctl(m_slave, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
    }
    // The module stops reading: the panel's way fills up. Room comes back while
    // the kernel moves bytes on to the master's 4095-byte queue, not after.
    void fillPanelsWay() {
        const int flags = ::fcntl(m_slave, F_GETFL);
        ::fcntl(m_slave, F_SETFL, flags | O_NONBLOCK);
        const QByteArray filler(4096, 'x');
        for (const QDeadlineTimer deadline(2000); !deadline.hasExpired();) {
            const bool masterFull = queued(m_master) >= 4095;
            if (::write(m_slave, filler.constData(), std::size_t(filler.size())) < 0 &&
                errno == EAGAIN) {
                if (masterFull)
                    break;
                pollfd room{m_slave, POLLOUT, 0};
                ::poll(&room, 1, 10);
            }
        }
        ::fcntl(m_slave, F_SETFL, flags);
    }
    // Set by the panel; 0 for an unusual speed.
    int baudRate() const {
        termios t{};
        ::tcgetattr(m_slave, &t);
        return static_cast<int>(module::bitsPerSecond(::cfgetospeed(&t)).value_or(0));
    }
    // The device goes away from the panel's side; a second time closes nothing (-1).
    void closeMaster() { ::close(std::exchange(m_master, -1)); }
    // A hang-up, the device node left in place (root only).
    bool hangUp() { return ::ioctl(m_slave, TIOCVHANGUP) == 0; }
    // Another program on the panel's end: takes waiting bytes; makes the panel's
    // next read find 0 bytes (canonical end of file) and waits for that read.
    QByteArray takeAtPanel(qsizetype count) {
        QByteArray out(count, '\0');
        out.resize(std::max<ssize_t>(::read(m_slave, out.data(), std::size_t(count)), 0));
        return out;
    }
    bool endOfFileRead() {
        termios t{};
        if (::tcgetattr(m_slave, &t) != 0)
            return false;
        t.c_lflag |= ICANON;
        if (::tcsetattr(m_slave, TCSANOW, &t) != 0)
            return false;
        send(QByteArray(1, '\x04'), false);
        const bool read = QTest::qWaitFor([this] { return !readable(m_slave, 0); });
        t.c_lflag &= ~tcflag_t(ICANON);
        return ::tcsetattr(m_slave, TCSANOW, &t) == 0 && read;
    }

private:
    static bool readable(int fd, int ms) {
        pollfd p{fd, POLLIN, 0};
        int r = 0;
        while ((r = ::poll(&p, 1, ms)) < 0 && errno == EINTR)
            ;
        return r > 0 && (p.revents & POLLIN);
    }
    int queued(int fd = -1) const {
        int n = 0;
        return ::ioctl(fd < 0 ? m_slave : fd, FIONREAD, &n) == 0 ? n : 0;
    }

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QTemporaryDir m_linkFolder;
    QString m_link;
};

} // namespace veld::test
