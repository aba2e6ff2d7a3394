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

    // What is known of it: "FT232R USB UART, FTDI, A50285BI"; empty when nothing.
    QString known() const;
};

// The serial ports present now, sorted by path.
QList<FoundPort> foundPorts();

} // namespace veld::serial
