#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace veld::protocol {

// Data byte of code 128 for each item of the module line-speed menu.
struct ModuleLineSpeed {
    std::string_view menuItem;
    std::uint32_t bitsPerSecond;
    std::uint8_t dataByte;
};

std::span<const ModuleLineSpeed> moduleLineSpeeds();
std::optional<std::uint8_t> moduleLineSpeedByte(std::string_view menuItem);
std::optional<std::uint32_t> moduleLineSpeedForByte(std::uint8_t dataByte);

} // namespace veld::protocol
