#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace veld::protocol {

// Data byte of code 144 for each item of the start-up function menu.
struct StartupFunction {
    std::string_view menuItem;
    std::uint8_t dataByte;
};

std::span<const StartupFunction> startupFunctions();
std::optional<std::uint8_t> startupFunctionByte(std::string_view menuItem);

} // namespace veld::protocol
