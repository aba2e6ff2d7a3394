#include "protocol/StartupFunction.h"

#include <array>

namespace veld::protocol {

namespace {
// F1 to F6, in menu order.
constexpr std::array<std::uint8_t, 6> kBytes{0, 1, 4, 6, 5, 3};
} // namespace

std::optional<std::uint8_t> startupFunctionByte(int item) {
    if (item < kFirstStartupFunction || item > kLastStartupFunction)
        return std::nullopt;
    return kBytes[static_cast<std::size_t>(item - kFirstStartupFunction)];
}

std::optional<int> startupFunctionItem(std::uint8_t dataByte) {
    for (std::size_t i = 0; i < kBytes.size(); ++i)
        if (kBytes[i] == dataByte)
            return static_cast<int>(i) + kFirstStartupFunction;
    return std::nullopt;
}

} // namespace veld::protocol
