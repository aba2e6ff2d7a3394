#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

namespace veld::serial {

// What makes a device the one it is, as the system reports it: a lost port is
// reopened only when its path leads to the same device again.
struct DeviceIdentity {
    // A USB adapter: "0403:6001 serial A50285BI" (vendor, product, serial number).
    QString usb;
    quint64 number = 0; // the device number (st_rdev)
    QString driver;     // the driver bound to it, when the system names one
    // A pseudo-terminal's node, made anew for each terminal at a number: its
    // change time in nanoseconds tells a new terminal from the one lost.
    bool pseudoTerminal = false;
    qint64 nodeMade = 0;

    bool operator==(const DeviceIdentity&) const = default;
};

using IdentityReader = std::function<DeviceIdentity(const QString& device)>;

// From sysfs and the device node.
DeviceIdentity readDeviceIdentity(const QString& device);

// Why the device at `device`, identified as `now`, is not the one lost; empty
// when it is: "/dev/pts/3 is a new terminal, not the one lost".
QString notTheDeviceLost(const QString& device, const DeviceIdentity& lost,
                         const DeviceIdentity& now);

// The links a path passes through, each with its inode and change time, so that
// a link replaced since (a module restarted on it) can be told: empty for a
// path that is no link.
QString linkStamp(const QString& path);

} // namespace veld::serial
