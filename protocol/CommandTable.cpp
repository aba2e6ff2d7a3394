#include "protocol/CommandTable.h"

#include <array>

namespace veld::protocol {

namespace {
using enum Command;
using enum SendRule;
using enum PollingEffect;

constexpr std::array<CommandEntry, 19> kTable{{
    {CountdownInterval, 3, Unguarded, Clears, "cmdCDSet"},
    {DisplayText, 6, OwnRule, Clears, "cmdSendAscii"},
    {TemperatureRequest, 0, Unguarded, Reads, "Timer2"},
    {CounterEnable, 0, Unguarded, Clears, "optCountEn"},
    {SetClock, 3, Guarded, Clears, "cmdSetRTC"},
    {CountdownStartStop, 0, Guarded, Clears, "cmdStartStop"},
    {DecimalPoint, 1, Unguarded, Clears, "cmdSetDP"},
    {CounterDisable, 0, Guarded, Clears, "optCountDis"},
    {CountdownReset, 0, Guarded, Clears, "cmdReset"},
    {ModuleLineSpeed, 1, Unguarded, Leaves, "mnuMbaud"},
    {StartupFunction, 1, Unguarded, Clears, "mnuStart"},
    {Output2Off, 0, Guarded, Leaves, "cmdOffOut2"},
    {Output2On, 0, Guarded, Leaves, "cmdOnOut2"},
    {TimeStampRequest, 0, Unguarded, Clears, "cmdTimeStamp"},
    {Output1Off, 0, Guarded, Leaves, "cmdOFFOut"},
    {Output1On, 0, Guarded, Leaves, "cmdOnOut"},
    {BuzzerOn, 0, Guarded, Leaves, "cmdOnBuz"},
    {BuzzerOff, 0, Guarded, Leaves, "cmdOffBuz"},
    {ToggleFlashing, 0, Guarded, Leaves, "cmdFlash"},
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
