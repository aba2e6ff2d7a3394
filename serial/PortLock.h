#pragma once

#include <QString>

namespace veld::serial {

// The UUCP lock file that serial programs keep for a device: LCK..ttyUSB0 for
// /dev/ttyUSB0, LCK..pts_3 for /dev/pts/3, holding the owner's process number.
// QSerialPort takes and releases the lock itself but overwrites a lock whose
// format it does not know; this looks first, so that a live lock of another
// program stays exactly as it is and a stale one is removed.
struct PortLockCheck {
    bool free = true;
    QString cause; // why the device may not be opened, in words
};

// The lock file that QSerialPort takes for a device path: in the first of its
// lock folders that is readable and holds the file or is writable. Empty when
// there is no such folder.
QString portLockFile(const QString& devicePath);

// Free when there is no lock or a stale one (its process gone), which is then
// removed. A live process, this one included, holds the device. Looks at
// QSerialPort's lock and, when $VELD_LOCK_DIR is set, at the one there too.
PortLockCheck checkPortLock(const QString& devicePath);

// "PID 1234 (minicom)", the name from /proc when it can be read.
QString describeProcess(qint64 pid);

} // namespace veld::serial
