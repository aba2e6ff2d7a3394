#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace veld::protocol {

// Data byte of code 128 for each line speed the module can be told to use.
struct ModuleLineSpeed {
    std::uint32_t bitsPerSecond;
    std::uint8_t dataByte;
};

std::span<const ModuleLineSpeed> moduleLineSpeeds();
std::optional<std::uint8_t> moduleLineSpeedByte(std::uint32_t bitsPerSecond);
std::optional<std::uint32_t> moduleLineSpeedForByte(std::uint8_t dataByte);

} // namespace veld::protocol
