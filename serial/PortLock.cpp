#include "serial/PortLock.h"

#include "serial/PortLog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <limits>
#include <optional>
#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace veld::serial {

QString describeProcess(qint64 pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    const QString name = comm.open(QIODevice::ReadOnly)
                             ? QString::fromLocal8Bit(comm.readAll().trimmed())
                             : QString();
    return name.isEmpty() ? QStringLiteral("PID %1").arg(pid)
                          : QStringLiteral("PID %1 (%2)").arg(pid).arg(name);
}

PortLocks::PortLocks(PortLocks&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_files(std::exchange(other.m_files, {})) {}

PortLocks& PortLocks::operator=(PortLocks&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_files = std::exchange(other.m_files, {});
    }
    return *this;
}

#ifdef Q_OS_UNIX
namespace {
// A lock file without a process number in range is judged stale at this age,
// and waited for (being written) up to the second.
constexpr qint64 kStaleLockAge = 5000;
constexpr int kLockWriteWait = 1000;

// QSerialPort's lock folders, searched in this order.
const QStringList& lockFolders() {
    static const QStringList folders{QStringLiteral("/var/lock"),
                                     QStringLiteral("/etc/locks"),
                                     QStringLiteral("/var/spool/locks"),
                                     QStringLiteral("/var/spool/uucp"),
                                     QStringLiteral("/tmp"),
                                     QStringLiteral("/var/tmp"),
                                     QStringLiteral("/var/lock/lockdev"),
                                     QStringLiteral("/run/lock")};
    return folders;
}

// The first of QSerialPort's folders that is readable and holds the lock or
// is writable, as QSerialPort picks it.
QString systemLockFolder(const QString& name) {
    for (const QString& folder : lockFolders()) {
        const QFileInfo info(folder);
        if (info.isReadable() && (QFile::exists(folder + u'/' + name) || info.isWritable()))
            return folder;
    }
    return {};
}

// Every name a lock of the device may have, QSerialPort's first.
QStringList lockNames(const QString& device) {
    QString underDev = device.startsWith(u"/dev/") ? device.mid(5) : device;
    QStringList names{QStringLiteral("LCK..") + underDev.replace(u'/', u'_')};
    const QString last = QStringLiteral("LCK..") + QFileInfo(device).fileName();
    if (!names.contains(last))
        names << last;
    struct stat node {};
    if (::stat(QFile::encodeName(device).constData(), &node) == 0 && S_ISCHR(node.st_mode))
        names << QString::asprintf("LCK.%03u.%03u", ::major(node.st_rdev), ::minor(node.st_rdev));
    return names;
}

// The highest process number the system gives.
qint64 pidLimit() {
    QFile limit(QStringLiteral("/proc/sys/kernel/pid_max"));
    const qint64 max = limit.open(QIODevice::ReadOnly) ? limit.readAll().trimmed().toLongLong() : 0;
    return max > 0 ? max : qint64(1) << 22;
}

// The process number a lock file holds: its first number, blanks before it and
// words after it allowed (HDB's "      1234\n", QLockFile's "1234\nprogram\n…",
// "  1234 minicom user\n"), or the old binary form of 4 bytes. None unless it
// is 1 to the system's limit: kill() takes 0 and -1 as groups and wraps larger ones.
std::optional<qint64> lockOwner(const QByteArray& content) {
    qsizetype from = 0;
    while (from < content.size() && (content[from] == ' ' || content[from] == '\t'))
        ++from;
    qsizetype to = from;
    while (to < content.size() && content[to] >= '0' && content[to] <= '9')
        ++to;
    qint64 pid = 0;
    // Digits that a blank, a line's end or the file's end follows; else the
    // binary form, whose bytes may look like a digit or two.
    if (to > from && (to == content.size() || QByteArrayView(" \t\r\n").contains(content[to]))) {
        pid = content.mid(from, to - from).toLongLong();
    } else if (content.size() == 4) {
        qint32 binary = 0;
        std::memcpy(&binary, content.constData(), sizeof binary);
        pid = binary;
    }
    return pid >= 1 && pid <= pidLimit() ? std::optional(pid) : std::nullopt;
}

bool processAlive(qint64 pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Another process that holds an flock() or any other lock on the device
// node, from /proc/locks ("1: FLOCK  ADVISORY  WRITE 4242 00:19:6 0 EOF").
std::optional<qint64> lockHolder(const QString& device) {
    struct stat node {};
    QFile locks(QStringLiteral("/proc/locks"));
    if (::stat(QFile::encodeName(device).constData(), &node) != 0 ||
        !locks.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray inode =
        QString::asprintf("%02x:%02x:%llu", ::major(node.st_dev), ::minor(node.st_dev),
                          static_cast<unsigned long long>(node.st_ino))
            .toLatin1();
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields[1] == "->" || fields[5] != inode)
            continue;
        const qint64 pid = fields[4].toLongLong();
        if (pid > 0 && pid != QCoreApplication::applicationPid())
            return pid;
    }
    return std::nullopt;
}

// Up to 128 bytes of a lock file; none when it cannot be read.
std::optional<QByteArray> lockContent(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QByteArray content(128, '\0');
    content.resize(std::max<qsizetype>(::read(fd, content.data(), 128), 0));
    ::close(fd);
    return content;
}

// Milliseconds since the file was last written; a vanished file counts as old.
qint64 lockAge(const QByteArray& path) {
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return std::numeric_limits<qint64>::max();
    const auto written = QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 +
                                                        st.st_mtim.tv_nsec / 1000000);
    return written.msecsTo(QDateTime::currentDateTime());
}

QString userName(uid_t uid) {
    const passwd* user = ::getpwuid(uid);
    return user ? QString::fromLocal8Bit(user->pw_name) : QString::number(uid);
}

// Why a lock file could not be removed, after unlink() failed.
QString whyNotRemoved(const QString& folder, const QByteArray& path) {
    const int error = errno;
    const QByteArray dir = QFile::encodeName(folder);
    struct stat file {};
    struct stat parent {};
    if ((error == EACCES || error == EPERM) && ::access(dir.constData(), W_OK | X_OK) != 0)
        return QStringLiteral("lock folder %1 not writable for this user").arg(folder);
    if ((error == EACCES || error == EPERM) && ::lstat(path.constData(), &file) == 0 &&
        ::stat(dir.constData(), &parent) == 0 && (parent.st_mode & S_ISVTX) &&
        file.st_uid != ::geteuid())
        return QStringLiteral("it belongs to %1 and the lock folder %2 lets only its owner remove "
                              "it; ask %1 or an administrator to remove it")
            .arg(userName(file.st_uid), folder);
    return QString::fromLocal8Bit(std::strerror(error));
}

// Why the lock file folder/name keeps the device from being opened; empty
// when there is none, or a stale one that is now removed.
QString checkLockFile(const QString& folder, const QString& name) {
    long nameMax = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    if (nameMax <= 0)
        nameMax = NAME_MAX;
    if (QFile::encodeName(name).size() > nameMax)
        return QStringLiteral("lock name too long for the lock folder %1 (%2 characters at "
                              "most): %3")
            .arg(folder)
            .arg(nameMax)
            .arg(name);
    const QString path = folder + u'/' + name;
    const QByteArray encoded = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(encoded.constData(), &st) != 0)
        return errno == ENOENT ? QString()
                               : QStringLiteral("locked: %1 cannot be looked at (%2)")
                                     .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    // A link planted in the shared folder, or anything but a file: not ours to judge.
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("locked: %1 is not a lock file; remove it when no program uses "
                              "the port")
            .arg(path);
    // A lock with no process number in range is stale once it has stood a few
    // seconds; younger, it is being written: read again until its number is there.
    std::optional<QByteArray> content;
    std::optional<qint64> owner;
    for (const QDeadlineTimer writing(kLockWriteWait);; ::poll(nullptr, 0, 20)) {
        content = lockContent(encoded);
        owner = content ? lockOwner(*content) : std::nullopt;
        if (owner || !content || lockAge(encoded) >= kStaleLockAge)
            break;
        if (writing.hasExpired())
            return QStringLiteral("locked: %1 is being written (no process number in it yet); "
                                  "try again in a few seconds")
                .arg(path);
    }
    if (!content)
        return QStringLiteral("locked by another program: %1 is not readable").arg(path);
    if (owner && processAlive(*owner))
        return QStringLiteral("in use by ") + describeProcess(*owner);
    const QString stale = owner ? QStringLiteral("stale lock %1 of PID %2").arg(path).arg(*owner)
                                : QStringLiteral("stale lock %1 with no process number").arg(path);
    if (::unlink(encoded.constData()) != 0 && errno != ENOENT)
        return QStringLiteral("%1 cannot be removed: %2")
            .arg(stale, whyNotRemoved(folder, encoded));
    qCInfo(lcSerial, "%s removed", qUtf8Printable(stale));
    return {};
}

QByteArray hdbLine() {
    return QByteArray::number(QCoreApplication::applicationPid()).rightJustified(10, ' ') + '\n';
}

bool holdsThisProcess(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) &&
           lockOwner(file.read(128)) == QCoreApplication::applicationPid();
}
} // namespace

QString portLockFile(const QString& devicePath) {
    const QString name = lockNames(devicePath).first();
    const QString folder = systemLockFolder(name);
    return folder.isEmpty() ? QString() : folder + u'/' + name;
}

QString lockedBecause(const QString& devicePath) {
    const QStringList names = lockNames(devicePath);
    QStringList folders{systemLockFolder(names.first())};
    // Other serial programs look for locks in the system's lock folder, never in
    // /tmp, where QSerialPort falls back: a port locked only there would look
    // free to them, so it is not opened (its flock alone would not do: minicom
    // and cu look for lock files only).
    if (folders.first().isEmpty() || folders.first() == u"/tmp" || folders.first() == u"/var/tmp")
        return QFileInfo::exists(lockFolders().first())
                   ? QStringLiteral("lock folder not writable: %1 is not writable for this user, "
                                    "and a lock elsewhere would be seen by no other program")
                         .arg(lockFolders().first())
                   : QStringLiteral("no lock folder: %1 does not exist, and a lock elsewhere "
                                    "would be seen by no other program")
                         .arg(lockFolders().first());
    if (const QString fromEnv = qEnvironmentVariable("VELD_LOCK_DIR"); !fromEnv.isEmpty())
        folders.prepend(fromEnv);
    for (const QString& folder : folders)
        for (const QString& name : names)
            if (QString cause = checkLockFile(folder, name); !cause.isEmpty())
                return cause;
    return {};
}

QString PortLocks::hold(const QString& devicePath) {
    release();
    const int fd = ::open(QFile::encodeName(devicePath).constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {}; // the port's own open then says why
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        // Only here, on a refusal: the first read of /proc/locks in a while
        // waits for the kernel (some 10 ms).
        const auto holder = lockHolder(devicePath);
        return holder ? QStringLiteral("in use by ") + describeProcess(*holder)
                      : QStringLiteral("locked: another program holds an flock() on it");
    }
    // What waited on the line before is old news (a pty keeps what its other
    // end wrote while nobody read); what comes once the port is set up is not.
    static_cast<void>(::tcflush(fd, TCIFLUSH)); // a device that cannot keeps them: harmless
    m_fd = fd;
    return {};
}

QString PortLocks::take(const QString& devicePath) {
    const QStringList names = lockNames(devicePath);
    const QString folder = systemLockFolder(names.first());
    const QByteArray line = hdbLine();
    // QSerialPort's own lock, taken with the open: the same owner, in HDB form.
    const int own = ::open(QFile::encodeName(folder + u'/' + names.first()).constData(),
                           O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    if (own < 0 || ::write(own, line.constData(), std::size_t(line.size())) != line.size())
        qCWarning(lcSerial, "%s: its lock file %s is not in HDB form", qUtf8Printable(devicePath),
                  qUtf8Printable(names.first()));
    if (own >= 0)
        ::close(own);
    for (const QString& name : names.mid(1)) {
        const QString path = folder + u'/' + name;
        const QByteArray encoded = QFile::encodeName(path);
        const auto create = [&encoded] {
            return ::open(encoded.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0644);
        };
        int file = create();
        if (file < 0 && errno == EEXIST) {
            // A lock taken since the first look: judged again, taken when stale.
            if (QString cause = checkLockFile(folder, name); !cause.isEmpty()) {
                release();
                return cause;
            }
            file = create();
        }
        if (file < 0) {
            QString cause = QStringLiteral("lock %1 not created: %2")
                                .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            release();
            return cause;
        }
        const bool written =
            ::write(file, line.constData(), std::size_t(line.size())) == line.size();
        ::close(file);
        m_files << path;
        if (!written) {
            release();
            return QStringLiteral("lock folder not writable: %1 could not be written").arg(path);
        }
    }
    return {};
}

void PortLocks::release() {
    // Only files that still name this process: another may have taken a name since.
    for (const QString& path : std::exchange(m_files, {}))
        if (holdsThisProcess(path))
            QFile::remove(path);
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
}
#else
QString portLockFile(const QString&) {
    return {};
}
QString lockedBecause(const QString&) {
    return {};
}
QString PortLocks::hold(const QString&) {
    return {};
}
QString PortLocks::take(const QString&) {
    return {};
}
void PortLocks::release() {}
#endif

} // namespace veld::serial
