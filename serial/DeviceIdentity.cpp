#include "serial/DeviceIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

namespace veld::serial {

namespace {
QString readTrimmed(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed())
                                          : QString();
}

QString describe(const DeviceIdentity& id) {
    if (!id.usb.isEmpty())
        return QStringLiteral("USB ") + id.usb;
    return QStringLiteral("device %1:%2%3")
        .arg(id.number >> 32)
        .arg(id.number & 0xffffffffU)
        .arg(id.driver.isEmpty() ? QString() : QStringLiteral(" of ") + id.driver);
}
} // namespace

#ifdef Q_OS_UNIX
DeviceIdentity readDeviceIdentity(const QString& device) {
    DeviceIdentity id;
    struct stat node {};
    if (::stat(QFile::encodeName(device).constData(), &node) != 0 || !S_ISCHR(node.st_mode))
        return id;
    const unsigned major = ::major(node.st_rdev), minor = ::minor(node.st_rdev);
    id.number = (quint64(major) << 32) | minor;
    // Majors 136 to 143: the slave side of a pseudo-terminal.
    id.pseudoTerminal = major >= 136 && major <= 143;
    if (id.pseudoTerminal) {
        id.driver = QStringLiteral("pty");
        id.nodeMade = qint64(node.st_ctim.tv_sec) * 1000000000 + node.st_ctim.tv_nsec;
        return id;
    }
    const QString sysfs = QStringLiteral("/sys/dev/char/%1:%2/device").arg(major).arg(minor);
    id.driver = QFileInfo(QFileInfo(sysfs + QStringLiteral("/driver")).symLinkTarget()).fileName();
    // The USB device the tty hangs under: the first folder up with idVendor.
    const QString sysDevice = QFileInfo(sysfs).canonicalFilePath();
    for (QDir dir(sysDevice); sysDevice.startsWith(u"/sys/") && dir.path() != u"/sys"; dir.cdUp()) {
        if (QFile::exists(dir.filePath(QStringLiteral("idVendor")))) {
            id.usb = QStringLiteral("%1:%2 serial %3")
                         .arg(readTrimmed(dir.filePath(QStringLiteral("idVendor"))),
                              readTrimmed(dir.filePath(QStringLiteral("idProduct"))),
                              readTrimmed(dir.filePath(QStringLiteral("serial"))));
            break;
        }
    }
    return id;
}

QString linkStamp(const QString& path) {
    QString stamp;
    QString at = path;
    struct stat link {};
    for (int hops = 0; hops < 40 && ::lstat(QFile::encodeName(at).constData(), &link) == 0 &&
                       S_ISLNK(link.st_mode);
         ++hops) {
        stamp += QStringLiteral("%1 %2.%3 %4.%5;")
                     .arg(at)
                     .arg(link.st_dev)
                     .arg(link.st_ino)
                     .arg(link.st_ctim.tv_sec)
                     .arg(link.st_ctim.tv_nsec);
        at = QFileInfo(at).symLinkTarget();
    }
    return stamp;
}
#else
DeviceIdentity readDeviceIdentity(const QString&) {
    return {};
}

QString linkStamp(const QString&) {
    return {};
}
#endif

QString notTheDeviceLost(const QString& device, const DeviceIdentity& lost,
                         const DeviceIdentity& now) {
    if (lost.pseudoTerminal && now.pseudoTerminal)
        return now == lost ? QString()
                           : device + QStringLiteral(" is a new terminal, not the one lost");
    const bool same = lost.usb.isEmpty() ? now.usb.isEmpty() && now.number == lost.number &&
                                               now.driver == lost.driver && !now.pseudoTerminal
                                         : now.usb == lost.usb;
    return same ? QString()
                : QStringLiteral("%1 is another device (%2, not %3)")
                      .arg(device, describe(now), describe(lost));
}

} // namespace veld::serial
