#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace veld::protocol {

// What the module's display shows, by the item Fn of the start-up function
// menu that chooses it. Each item sends code 144 with a byte of the module's
// own numbering, which does not follow the menu order.
enum class ModuleFunction {
    RealTimeClock = 1,
    CountdownTimer,
    Temperature,
    TemperatureAndTime,
    Counter,
    DisplayMode,
};

inline constexpr int kFirstStartupFunction = 1;
inline constexpr int kLastStartupFunction = 6;

// Data byte of item Fn, n = 1 to 6; nothing for other numbers.
std::optional<std::uint8_t> startupFunctionByte(int item);
// The function whose item sends this byte; nothing for a byte no item sends.
std::optional<ModuleFunction> functionForByte(std::uint8_t dataByte);
// "F1 real-time clock", and so on.
std::string functionName(ModuleFunction function);

} // namespace veld::protocol
