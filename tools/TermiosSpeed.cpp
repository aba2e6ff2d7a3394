#include "tools/TermiosSpeed.h"

namespace veld::tools {

std::optional<std::uint32_t> bitsPerSecond(speed_t speed) {
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return std::nullopt;
    }
}

} // namespace veld::tools
