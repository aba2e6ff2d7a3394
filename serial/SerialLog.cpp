#include "serial/SerialLog.h"

namespace veld::serial {
Q_LOGGING_CATEGORY(lcSerial, "veld.serial")
}
