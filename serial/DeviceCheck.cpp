#include "serial/DeviceCheck.h"

#include "serial/PortLock.h"

#include <QFile>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace veld::serial {

#ifdef Q_OS_UNIX
namespace {
// What would let this user open the device: joining its group when the group
// may read and write it, else nothing short of its owner or a udev rule.
QString permissionCause(const QString& device) {
    struct stat node {};
    constexpr mode_t groupReadWrite = S_IRGRP | S_IWGRP;
    if (::stat(QFile::encodeName(device).constData(), &node) != 0 ||
        (node.st_mode & groupReadWrite) == groupReadWrite) {
        const ::group* owner = ::getgrgid(node.st_gid);
        return QStringLiteral("permission denied: add your user to the group that owns it (%1) "
                              "and log in again")
            .arg(owner ? QString::fromLocal8Bit(owner->gr_name)
                       : QStringLiteral("dialout for most serial devices"));
    }
    const ::passwd* user = ::getpwuid(node.st_uid);
    const ::group* group = ::getgrgid(node.st_gid);
    const QString userName =
        user ? QString::fromLocal8Bit(user->pw_name) : QString::number(node.st_uid);
    return QStringLiteral("permission denied: owned by %1:%2, mode %3: only %4 can open it; see "
                          "udev rules")
        .arg(userName,
             group ? QString::fromLocal8Bit(group->gr_name) : QString::number(node.st_gid))
        .arg(node.st_mode & 07777, 3, 8, QChar(u'0'))
        .arg(node.st_uid == 0 ? userName : userName + QStringLiteral(" and root"));
}
} // namespace

std::optional<QString> causeBeforeOpen(const QString& device) {
    const QByteArray name = QFile::encodeName(device);
    struct stat node {};
    if (::stat(name.constData(), &node) != 0)
        return QStringLiteral("no such device");
    // /dev/ptmx makes a new pseudo-terminal at each open: never a line.
    if (!S_ISCHR(node.st_mode) || node.st_rdev == ::makedev(5, 2))
        return QStringLiteral("not a serial device");
    if (::access(name.constData(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM))
        return permissionCause(device);
    return std::nullopt;
}
#else
std::optional<QString> causeBeforeOpen(const QString&) {
    return std::nullopt;
}
#endif

QString causeOfFailedOpen(QSerialPort::SerialPortError error, int errorNumber,
                          const QString& device, const QSerialPort& port) {
#ifdef Q_OS_UNIX
    if (error == QSerialPort::PermissionError) {
        if (errorNumber == EBUSY)
            return QStringLiteral("busy: opened exclusively by another program");
        if (auto cause = causeBeforeOpen(device))
            return *cause;
        return QStringLiteral("locked: %1 could not be taken (%2)")
            .arg(portLockFile(device), port.errorString());
    }
    switch (errorNumber) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case EIO:
        return QStringLiteral("no such device");
    case ENOTTY:
        return QStringLiteral("not a serial device");
    default:
        break;
    }
#else
    Q_UNUSED(errorNumber)
    Q_UNUSED(device)
    if (error == QSerialPort::DeviceNotFoundError)
        return QStringLiteral("no such device");
#endif
    if (error == QSerialPort::UnsupportedOperationError)
        return QStringLiteral("line settings refused: ") + port.errorString();
    return QStringLiteral("open failed: ") + port.errorString();
}

#ifdef Q_OS_UNIX
std::optional<QString> causeOnceOpen(int fd) {
    int number = 0;
    if (!::isatty(fd) || ::ioctl(fd, TIOCGPTN, &number) == 0) // a terminal, not a pty's master
        return QStringLiteral("not a serial device");
    return std::nullopt;
}

std::optional<QString> signOfLoss(int fd, const QString& device, int errorNumber) {
    struct stat node {};
    struct stat open {};
    if (::stat(QFile::encodeName(device).constData(), &node) != 0 ||
        (::fstat(fd, &open) == 0 && node.st_rdev != open.st_rdev))
        return QStringLiteral("device gone: %1 is no longer there").arg(device);
    pollfd p{fd, 0, 0};
    if (::poll(&p, 1, 0) > 0) {
        if (p.revents & POLLHUP)
            return QStringLiteral("hang-up from the device");
        if (p.revents & (POLLERR | POLLNVAL))
            return QStringLiteral("I/O error from the device");
    }
    switch (errorNumber) {
    case EIO:
    case ENXIO:
    case ENODEV:
    case EBADF:
        return QStringLiteral("I/O error from the device: ") +
               QString::fromLocal8Bit(std::strerror(errorNumber));
    default:
        return std::nullopt;
    }
}
#endif

} // namespace veld::serial
