#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace veld::protocol {

// Data byte of code 128 for each line speed the module can be told to use.
std::optional<std::uint8_t> moduleLineSpeedByte(std::uint32_t bitsPerSecond);
std::optional<std::uint32_t> moduleLineSpeedForByte(std::uint8_t dataByte);
// Those line speeds, slowest first: the panel's speed menus, item by item.
std::vector<std::uint32_t> moduleLineSpeeds();

} // namespace veld::protocol
