#include "serial/PortLog.h"

namespace veld::serial {

Q_LOGGING_CATEGORY(lcSerial, "veld.serial")

} // namespace veld::serial
