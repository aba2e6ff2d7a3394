#include "protocol/CommandTable.h"

#include <array>

namespace veld::protocol {

namespace {
using enum Command;
using enum SendRule;
using enum PollingEffect;

constexpr std::array<CommandEntry, 19> kTable{{
    {CountdownInterval, 3, Unguarded, Clears},
    // Asks first, and shows a box when the port is closed.
    {DisplayText, 6, Guarded, Clears},
    {TemperatureRequest, 0, Unguarded, Leaves},
    {CounterEnable, 0, Unguarded, Clears},
    {SetClock, 3, Guarded, Clears},
    {CountdownStartStop, 0, Guarded, Clears},
    {DecimalPoint, 1, Unguarded, Clears},
    {CounterDisable, 0, Guarded, Clears},
    {CountdownReset, 0, Guarded, Clears},
    {ModuleLineSpeed, 1, Unguarded, Leaves},
    {StartupFunction, 1, Unguarded, Clears},
    {Output2Off, 0, Guarded, Leaves},
    {Output2On, 0, Guarded, Leaves},
    {TimeStampRequest, 0, Unguarded, Clears},
    {Output1Off, 0, Guarded, Leaves},
    {Output1On, 0, Guarded, Leaves},
    {BuzzerOn, 0, Guarded, Leaves},
    {BuzzerOff, 0, Guarded, Leaves},
    {ToggleFlashing, 0, Guarded, Leaves},
}};
} // namespace

std::span<const CommandEntry> commandTable() {
    return kTable;
}

std::optional<CommandEntry> findCommand(std::uint8_t code) {
    for (const CommandEntry& entry : kTable)
        if (codeOf(entry.command) == code)
            return entry;
    return std::nullopt;
}

} // namespace veld::protocol
