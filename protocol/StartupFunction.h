#pragma once

#include <cstdint>
#include <optional>

namespace veld::protocol {

// The start-up function menu has items F1 to F6; each sends code 144 with a
// byte of the module's own numbering, which does not follow the menu order.
inline constexpr int kFirstStartupFunction = 1;
inline constexpr int kLastStartupFunction = 6;

// Data byte of item Fn, n = 1 to 6; nothing for other numbers.
std::optional<std::uint8_t> startupFunctionByte(int item);
// The item n of Fn that sends this byte; nothing for a byte no item sends.
std::optional<int> startupFunctionItem(std::uint8_t dataByte);

} // namespace veld::protocol
