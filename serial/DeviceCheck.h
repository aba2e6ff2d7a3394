#pragma once

#include <QSerialPort>
#include <QString>
#include <optional>

namespace veld::serial {

// What the system says about a serial device, in words for the user: why it
// cannot be opened, and whether an open one is gone.

// What stops an open before it is tried: no device node, not a device, no
// access for this user, /dev/ptmx.
std::optional<QString> causeBeforeOpen(const QString& device);

// The cause of a failed open, from the first error QSerialPort met and the
// system error behind it. QSerialPort reports a busy device and a lock it
// could not take, too, as a permission error.
QString causeOfFailedOpen(QSerialPort::SerialPortError error, int errorNumber,
                          const QString& device, const QSerialPort& port);

#ifdef Q_OS_UNIX
// What an open descriptor shows: not a terminal, or the master side of a pty.
std::optional<QString> causeOnceOpen(int fd);

// Evidence that the device open on `fd` is lost: its node gone or replaced, a
// hang-up or error that poll() reports, or a system error of a failed read or
// write that only a lost device gives. None for anything else.
std::optional<QString> signOfLoss(int fd, const QString& device, int errorNumber);
#endif

} // namespace veld::serial
