#include "tools/ModuleFunction.h"

#include "protocol/StartupFunction.h"

namespace veld::tools {

std::optional<ModuleFunction> moduleFunctionForByte(std::uint8_t dataByte) {
    for (const auto& f : protocol::startupFunctions())
        if (f.dataByte == dataByte)
            return static_cast<ModuleFunction>(dataByte);
    return std::nullopt;
}

std::string functionName(ModuleFunction function) {
    std::string item;
    for (const auto& f : protocol::startupFunctions())
        if (f.dataByte == static_cast<std::uint8_t>(function))
            item = std::string(f.menuItem.substr(3)); // "mnuF1" -> "F1"
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
