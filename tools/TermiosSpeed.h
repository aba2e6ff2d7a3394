#pragma once

#include <cstdint>
#include <optional>
#include <termios.h>

namespace veld::tools {

// A termios speed constant in bit/s; empty for speeds the module never uses.
std::optional<std::uint32_t> bitsPerSecond(speed_t speed);

} // namespace veld::tools
