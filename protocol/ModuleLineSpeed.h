#pragma once

#include <cstdint>
#include <optional>

namespace veld::protocol {

// Data byte of code 128 for each line speed the module can be told to use.
std::optional<std::uint8_t> moduleLineSpeedByte(std::uint32_t bitsPerSecond);
std::optional<std::uint32_t> moduleLineSpeedForByte(std::uint8_t dataByte);

} // namespace veld::protocol
