#pragma once

#include <QList>
#include <QString>

namespace veld::serial {

// A serial port present on the machine now.
struct FoundPort {
    // The /dev/serial/by-id link to it when there is one (it stays the same
    // when a USB adapter is plugged in again), else its system location.
    QString path;
    QString systemLocation;
    QString description;
    QString manufacturer;
    QString serialNumber;

    bool operator==(const FoundPort&) const = default;
};

// The serial ports present now, sorted by path.
QList<FoundPort> foundPorts();

} // namespace veld::serial
