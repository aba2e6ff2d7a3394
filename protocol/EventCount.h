#pragma once

#include <cstdint>
#include <limits>

namespace veld::protocol {

// The event count is signed 16-bit; at its top it stays there.
inline constexpr std::int16_t nextEventCount(std::int16_t count) {
    return count == std::numeric_limits<std::int16_t>::max() ? count
                                                             : static_cast<std::int16_t>(count + 1);
}

} // namespace veld::protocol
