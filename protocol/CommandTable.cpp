#include "protocol/CommandTable.h"

#include <array>

namespace veld::protocol {

namespace {
using enum Command;
using enum SendRule;
using enum PollingEffect;

constexpr std::array<CommandEntry, 19> kTable{{
    {CountdownInterval, 3, Unguarded, Clears, "countdown interval"},
    // Asks first, and shows a box when the port is closed.
    {DisplayText, 6, Guarded, Clears, "display text"},
    {TemperatureRequest, 0, Unguarded, Leaves, "temperature request"},
    {CounterEnable, 0, Unguarded, Clears, "counter enable"},
    {SetClock, 3, Guarded, Clears, "set clock"},
    {CountdownStartStop, 0, Guarded, Clears, "countdown start/stop"},
    {DecimalPoint, 1, Unguarded, Clears, "decimal point"},
    {CounterDisable, 0, Guarded, Clears, "counter disable"},
    {CountdownReset, 0, Guarded, Clears, "countdown reset"},
    {ModuleLineSpeed, 1, Unguarded, Leaves, "module line speed"},
    {StartupFunction, 1, Unguarded, Clears, "start-up function"},
    {Output2Off, 0, Guarded, Leaves, "output 2 off"},
    {Output2On, 0, Guarded, Leaves, "output 2 on"},
    {TimeStampRequest, 0, Unguarded, Clears, "time stamp request"},
    {Output1Off, 0, Guarded, Leaves, "output 1 off"},
    {Output1On, 0, Guarded, Leaves, "output 1 on"},
    {BuzzerOn, 0, Guarded, Leaves, "buzzer on"},
    {BuzzerOff, 0, Guarded, Leaves, "buzzer off"},
    {ToggleFlashing, 0, Guarded, Leaves, "toggle flashing"},
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
