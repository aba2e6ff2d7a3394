#include "module/PtyEndpoint.h"

#include "module/ModuleState.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace veld::module {

namespace {
QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}
} // namespace

std::optional<std::uint32_t> bitsPerSecond(speed_t speed) {
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return std::nullopt;
    }
}

PtyEndpoint::PtyEndpoint(QObject* parent)
    : QObject(parent) {}

PtyEndpoint::~PtyEndpoint() {
    removeLink();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

bool PtyEndpoint::open(QString& error) {
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        error = QStringLiteral("no pseudo-terminal: ") + errnoText();
        return false;
    }
    m_devicePath = QString::fromLocal8Bit(name);
    // Raw bytes both ways, at the module's own first speed: a program that
    // opens the line at that speed, writes and closes at once leaves it so,
    // whenever the module comes to read.
    termios t{};
    static_assert(ModuleState::kInitialLineSpeed == 9600);
    bool setUp = ::tcgetattr(m_slave, &t) == 0;
    if (setUp) {
        ::cfmakeraw(&t);
        setUp = ::cfsetspeed(&t, B9600) == 0 && ::tcsetattr(m_slave, TCSANOW, &t) == 0;
    }
    if (!setUp) {
        error = QStringLiteral("pseudo-terminal not set up: ") + errnoText();
        return false;
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);

    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyEndpoint::readAvailable);
    return true;
}

bool PtyEndpoint::lockLink(const QString& path, QString& error) {
    m_linkLockPath = path + QStringLiteral(".lock");
    const QByteArray name = QFile::encodeName(m_linkLockPath);
    // Another module may remove the file between its open and the flock: then
    // the lock taken is on a file nobody will look at, and it is taken again.
    for (;;) {
        m_linkLock = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (m_linkLock < 0) {
            error = QStringLiteral("cannot lock %1: ").arg(m_linkLockPath) + errnoText();
            return false;
        }
        if (::flock(m_linkLock, LOCK_EX | LOCK_NB) != 0) {
            error = errno == EWOULDBLOCK
                        ? QStringLiteral("%1 is held by another virtual module (its lock %2); "
                                         "not replaced")
                              .arg(path, m_linkLockPath)
                        : QStringLiteral("cannot lock %1: ").arg(m_linkLockPath) + errnoText();
            ::close(std::exchange(m_linkLock, -1));
            return false;
        }
        struct stat held {
        }, named{};
        if (::fstat(m_linkLock, &held) == 0 && ::stat(name.constData(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev)
            return true;
        ::close(std::exchange(m_linkLock, -1));
    }
}

void PtyEndpoint::unlockLink() {
    if (m_linkLock < 0)
        return;
    // Removed while held, so that no other module takes a lock on it meanwhile.
    ::unlink(QFile::encodeName(m_linkLockPath).constData());
    ::close(std::exchange(m_linkLock, -1));
}

bool PtyEndpoint::makeLink(const QString& path, QString& error, QString& replaced) {
    const QByteArray name = QFile::encodeName(path);
    if (!lockLink(path, error))
        return false;
    const auto refuse = [this] {
        unlockLink();
        return false;
    };
    struct stat st {};
    if (::lstat(name.constData(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = QStringLiteral("%1 exists and is not a symbolic link; not replaced").arg(path);
            return refuse();
        }
        char target[PATH_MAX] = {};
        const ssize_t length = ::readlink(name.constData(), target, sizeof target - 1);
        const QString targetPath =
            QFile::decodeName(QByteArray(target, std::max<ssize_t>(length, 0)));
        // Only a link to a pty can be a leftover of this program; a link to
        // anything else belongs to someone else. With its lock free, the
        // module that made it is gone, whoever has that pty's number now.
        static const QRegularExpression ptyPath(QStringLiteral("^/dev/pts/[0-9]+$"));
        if (length < 0 || !ptyPath.match(targetPath).hasMatch()) {
            error = QStringLiteral("%1 is a symbolic link to %2, not to a pseudo-terminal; not "
                                   "replaced")
                        .arg(path, targetPath);
            return refuse();
        }
        if (::unlink(name.constData()) != 0 && errno != ENOENT) {
            error = QStringLiteral("cannot replace %1: ").arg(path) + errnoText();
            return refuse();
        }
        replaced = targetPath;
    } else if (errno != ENOENT) {
        error = QStringLiteral("cannot use %1: ").arg(path) + errnoText();
        return refuse();
    }
    if (::symlink(QFile::encodeName(m_devicePath).constData(), name.constData()) != 0) {
        error = QStringLiteral("cannot link %1: ").arg(path) + errnoText();
        return refuse();
    }
    m_linkPath = path;
    return true;
}

void PtyEndpoint::removeLink() {
    if (m_linkPath.isEmpty())
        return;
    // Only our own link: another run may have taken the name over since.
    if (QFileInfo(m_linkPath).symLinkTarget() == QFileInfo(m_devicePath).absoluteFilePath())
        QFile::remove(m_linkPath);
    m_linkPath.clear();
    unlockLink();
}

std::optional<std::uint32_t> PtyEndpoint::lineSpeed() const {
    termios t{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &t) != 0)
        return std::nullopt;
    return bitsPerSecond(::cfgetospeed(&t));
}

bool PtyEndpoint::write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done,
                                  static_cast<std::size_t>(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (!(n < 0 && errno == EINTR))
            return false; // queue full (nobody reads) or the line is gone: the rest is lost
    }
    return true;
}

void PtyEndpoint::readAvailable() {
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0)
            bytes.append(buffer, n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    if (!bytes.isEmpty())
        emit received(bytes);
}

} // namespace veld::module
