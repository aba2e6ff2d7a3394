#include "protocol/StartupFunction.h"

#include <array>

namespace veld::protocol {

namespace {
struct Item {
    std::uint8_t dataByte;
    const char* name;
};
// F1 to F6, in menu order.
constexpr std::array<Item, 6> kItems{{
    {0, "real-time clock"},
    {1, "countdown timer"},
    {4, "temperature"},
    {6, "temperature and time"},
    {5, "counter"},
    {3, "display mode"},
}};
} // namespace

std::optional<std::uint8_t> startupFunctionByte(int item) {
    if (item < kFirstStartupFunction || item > kLastStartupFunction)
        return std::nullopt;
    return kItems[static_cast<std::size_t>(item - kFirstStartupFunction)].dataByte;
}

std::optional<ModuleFunction> functionForByte(std::uint8_t dataByte) {
    for (std::size_t i = 0; i < kItems.size(); ++i)
        if (kItems[i].dataByte == dataByte)
            return static_cast<ModuleFunction>(static_cast<int>(i) + kFirstStartupFunction);
    return std::nullopt;
}

std::string functionName(ModuleFunction function) {
    const int item = static_cast<int>(function);
    std::string name = "F";
    return name.append(std::to_string(item))
        .append(" ")
        .append(kItems[static_cast<std::size_t>(item - kFirstStartupFunction)].name);
}

} // namespace veld::protocol
