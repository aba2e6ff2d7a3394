#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace veld::protocol {

// Data byte of code 128 for each line speed the module can be told to use.
std::optional<std::uint8_t> moduleLineSpeedByte(std::uint32_t bitsPerSecond);
std::optional<std::uint32_t> moduleLineSpeedForByte(std::uint8_t dataByte);
// Every speed the module can be told to use, in bit/s, slowest first.
std::vector<std::uint32_t> moduleLineSpeeds();

} // namespace veld::protocol
