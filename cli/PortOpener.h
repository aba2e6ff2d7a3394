#pragma once

#include "cli/Invocation.h"

#include <QString>
#include <variant>

namespace veld::serial {
class MSComm;
}

namespace veld::cli {

struct OpenedPort {
    QString device; // as the user or the settings named it
    qint32 bitsPerSecond = 0;
};

// Opens the chosen port at the chosen line settings, falling back on the
// panel's stored ones as its start-up does; the settings are only read.
// When it cannot: the cause, one line naming the device.
std::variant<OpenedPort, QString> openPort(serial::MSComm& comm, const Invocation& invocation);

} // namespace veld::cli
