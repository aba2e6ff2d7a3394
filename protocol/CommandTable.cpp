#include "protocol/CommandTable.h"

#include <array>

namespace veld::protocol {

namespace {
using enum Command;

constexpr std::array<CommandEntry, 19> kTable{{
    {CountdownInterval, 3, "countdown interval"},
    {DisplayText, 6, "display text"},
    {TemperatureRequest, 0, "temperature request"},
    {CounterEnable, 0, "counter enable"},
    {SetClock, 3, "set clock"},
    {CountdownStartStop, 0, "countdown start/stop"},
    {DecimalPoint, 1, "decimal point"},
    {CounterDisable, 0, "counter disable"},
    {CountdownReset, 0, "countdown reset"},
    {ModuleLineSpeed, 1, "module line speed"},
    {StartupFunction, 1, "start-up function"},
    {Output2Off, 0, "output 2 off"},
    {Output2On, 0, "output 2 on"},
    {TimeStampRequest, 0, "time stamp request"},
    {Output1Off, 0, "output 1 off"},
    {Output1On, 0, "output 1 on"},
    {BuzzerOn, 0, "buzzer on"},
    {BuzzerOff, 0, "buzzer off"},
    {ToggleFlashing, 0, "toggle flashing"},
}};

// Frame lengths by code, 0 for a code that is no command: the splitter asks
// for every header it meets.
constexpr auto kLengths = [] {
    std::array<std::uint8_t, 256> lengths{};
    for (const CommandEntry& entry : kTable)
        lengths[codeOf(entry.command)] = static_cast<std::uint8_t>(3 + entry.dataBytes);
    return lengths;
}();
} // namespace

std::optional<CommandEntry> findCommand(std::uint8_t code) {
    for (const CommandEntry& entry : kTable)
        if (codeOf(entry.command) == code)
            return entry;
    return std::nullopt;
}

std::optional<std::size_t> commandFrameLength(std::uint8_t code) {
    if (kLengths[code] == 0)
        return std::nullopt;
    return kLengths[code];
}

} // namespace veld::protocol
