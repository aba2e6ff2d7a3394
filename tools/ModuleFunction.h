#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace veld::tools {

// What the module's display shows; the values are the start-up function bytes.
enum class ModuleFunction : std::uint8_t {
    RealTimeClock = 0,
    CountdownTimer = 1,
    DisplayMode = 3,
    Temperature = 4,
    Counter = 5,
    TemperatureAndTime = 6,
};

// The function a start-up function byte names, if the menu has such an item.
std::optional<ModuleFunction> moduleFunctionForByte(std::uint8_t dataByte);

// "F1 real-time clock" and so on, by the menu item that chooses it.
std::string functionName(ModuleFunction function);

} // namespace veld::tools
