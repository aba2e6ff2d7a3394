#pragma once

#include <QString>
#include <QStringList>

namespace veld::serial {

// The locks that serial programs keep for a device, in every convention in
// use on Linux: lock files in the lock folder named after the device under
// /dev with '/' as '_' (LCK..pts_3, as QSerialPort and minicom name it), after
// its last path component (LCK..3, as cu names it) and after its major and
// minor numbers (LCK.136.003, as lockdev names it, the same for every node of
// the device), each holding the owner's process number; and an flock() held on
// the device (picocom's only lock).

// The lock file that QSerialPort takes for a device path: in the first of its
// lock folders that is readable and holds the file or is writable. Empty when
// there is no such folder.
QString portLockFile(const QString& devicePath);

// Why the lock files keep the device from being opened now, empty when they
// do not: a live holder ("in use by PID 4242 (minicom)"), a lock being written
// (no process number in range in a file younger than five seconds, still so
// after a second), a link or other non-regular file in its place, a stale lock
// that cannot be removed (and why), or no lock folder where other programs
// look. A stale lock file (its process gone, whatever follows the number; or no
// number from 1 to pid_max in an older file) is removed. Looks in QSerialPort's
// lock folder and, when $VELD_LOCK_DIR is set, there too.
QString lockedBecause(const QString& devicePath);

// The locks of a device that this process has open, given back when released
// or destroyed. The lock files hold this process's number in HDB format (ten
// characters and a newline); QSerialPort's own one is rewritten so.
class PortLocks {
public:
    PortLocks() = default;
    ~PortLocks() { release(); }
    PortLocks(const PortLocks&) = delete;
    PortLocks& operator=(const PortLocks&) = delete;
    PortLocks(PortLocks&& other) noexcept;
    PortLocks& operator=(PortLocks&& other) noexcept;

    // Before the port is opened: flock(LOCK_EX | LOCK_NB) on a descriptor of
    // its own, kept until release, so that a holder ("in use by PID 4242
    // (picocom)") refuses before the line is touched; then empties what
    // waited on the line.
    QString hold(const QString& devicePath);
    // Once the port is open: the lock files under every name. On failure gives
    // back what it took and says why.
    QString take(const QString& devicePath);
    void release();
    // The descriptor that hold() opened, -1 when none.
    int descriptor() const { return m_fd; }

private:
    int m_fd = -1;
    QStringList m_files; // created here, removed on release
};

// "PID 1234 (minicom)", the name from /proc when it can be read.
QString describeProcess(qint64 pid);

} // namespace veld::serial
