#include "protocol/StartupFunction.h"

#include <array>

namespace veld::protocol {

namespace {
// Not in menu order: the module's own numbering.
constexpr std::array<StartupFunction, 6> kFunctions{{
    {"mnuF1", 0},
    {"mnuF2", 1},
    {"mnuF3", 4},
    {"mnuF4", 6},
    {"mnuF5", 5},
    {"mnuF6", 3},
}};
} // namespace

std::span<const StartupFunction> startupFunctions() {
    return kFunctions;
}

std::optional<std::uint8_t> startupFunctionByte(std::string_view menuItem) {
    for (const auto& f : kFunctions)
        if (f.menuItem == menuItem)
            return f.dataByte;
    return std::nullopt;
}

} // namespace veld::protocol
