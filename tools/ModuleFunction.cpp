#include "tools/ModuleFunction.h"

#include "protocol/StartupFunction.h"

namespace veld::tools {

std::optional<ModuleFunction> moduleFunctionForByte(std::uint8_t dataByte) {
    if (!protocol::startupFunctionItem(dataByte))
        return std::nullopt;
    return static_cast<ModuleFunction>(dataByte);
}

std::string functionName(ModuleFunction function) {
    std::string item;
    if (const auto n = protocol::startupFunctionItem(static_cast<std::uint8_t>(function)))
        item = std::string("F").append(std::to_string(*n));
    switch (function) {
    case ModuleFunction::RealTimeClock:
        return item + " real-time clock";
    case ModuleFunction::CountdownTimer:
        return item + " countdown timer";
    case ModuleFunction::DisplayMode:
        return item + " display mode";
    case ModuleFunction::Temperature:
        return item + " temperature";
    case ModuleFunction::Counter:
        return item + " counter";
    case ModuleFunction::TemperatureAndTime:
        return item + " temperature and time";
    }
    return item;
}

} // namespace veld::tools
