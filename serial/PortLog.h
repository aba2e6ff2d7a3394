#pragma once

#include <QLoggingCategory>

namespace veld::serial {

// "veld.serial": what the serial control, the lock check and the settings
// store have to say.
Q_DECLARE_LOGGING_CATEGORY(lcSerial)

} // namespace veld::serial
