#include "serial/PortLock.h"

#include "serial/MSComm.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstring>
#include <optional>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <climits>
#include <csignal>
#include <unistd.h>
#endif

namespace veld::serial {

#ifdef Q_OS_UNIX
namespace {
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

QString lockName(const QString& devicePath) {
    QString name = devicePath.startsWith(u"/dev/") ? devicePath.mid(5) : devicePath;
    return QStringLiteral("LCK..") + name.replace(u'/', u'_');
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
// UUCP's ASCII form ("      1234\n") and QLockFile's ("1234\nprogram\nhost\n")
// carry the number on the first line; the old binary form is 4 bytes.
std::optional<qint64> lockOwner(const QByteArray& content) {
    const qsizetype end = content.indexOf('\n');
    bool ok = false;
    const qint64 pid = (end < 0 ? content : content.left(end)).trimmed().toLongLong(&ok);
    if (ok)
        return pid > 0 ? std::optional<qint64>(pid) : std::nullopt;
    if (content.size() == 4) {
        qint32 binary = 0;
        std::memcpy(&binary, content.constData(), sizeof binary);
        if (binary > 0)
            return binary;
    }
    return std::nullopt;
}

bool processAlive(qint64 pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}
} // namespace

QString portLockFile(const QString& devicePath) {
    const QString name = lockName(devicePath);
    const QString folder = systemLockFolder(name);
    return folder.isEmpty() ? QString() : folder + u'/' + name;
}

QString describeProcess(qint64 pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    const QString name = comm.open(QIODevice::ReadOnly)
                             ? QString::fromLocal8Bit(comm.readAll().trimmed())
                             : QString();
    return name.isEmpty() ? QStringLiteral("PID %1").arg(pid)
                          : QStringLiteral("PID %1 (%2)").arg(pid).arg(name);
}

namespace {
PortLockCheck checkLockIn(const QString& folder, const QString& name) {
    long nameMax = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    if (nameMax <= 0)
        nameMax = NAME_MAX;
    if (QFile::encodeName(name).size() > nameMax)
        return {false, QStringLiteral("lock name too long for the lock folder %1 (%2 characters "
                                      "at most): %3")
                           .arg(folder)
                           .arg(nameMax)
                           .arg(name)};
    const QString path = folder + u'/' + name;
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return {false, QStringLiteral("locked by another program: %1 is not readable").arg(path)};
    const auto owner = lockOwner(file.read(128));
    file.close();
    if (!owner)
        return {false,
                QStringLiteral("locked by another program: %1 holds no process number").arg(path)};
    if (processAlive(*owner))
        return {false, QStringLiteral("in use by ") + describeProcess(*owner)};
    if (!QFile::remove(path))
        return {false, QStringLiteral("lock folder not writable: %1 (stale lock %2 left there)")
                           .arg(folder, name)};
    qCInfo(lcSerial, "stale lock %s of PID %lld removed", qUtf8Printable(path),
           static_cast<long long>(*owner));
    return {};
}
} // namespace

PortLockCheck checkPortLock(const QString& devicePath) {
    const QString name = lockName(devicePath);
    const QString folder = systemLockFolder(name);
    if (folder.isEmpty())
        return {false, QStringLiteral("lock folder not writable: none of %1 is")
                           .arg(lockFolders().join(QStringLiteral(", ")))};
    const QString fromEnv = qEnvironmentVariable("VELD_LOCK_DIR");
    if (!fromEnv.isEmpty()) {
        PortLockCheck check = checkLockIn(fromEnv, name);
        if (!check.free)
            return check;
    }
    return checkLockIn(folder, name);
}
#else
QString portLockFile(const QString&) {
    return {};
}
QString describeProcess(qint64 pid) {
    return QStringLiteral("PID %1").arg(pid);
}
PortLockCheck checkPortLock(const QString&) {
    return {};
}
#endif

} // namespace veld::serial
