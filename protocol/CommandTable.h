#pragma once

#include <cstdint>
#include <optional>

namespace veld::protocol {

// Every code the panel sends to the module.
enum class Command : std::uint8_t {
    CountdownInterval = 0x01,
    DisplayText = 0x03,
    TemperatureRequest = 0x04,
    CounterEnable = 0x05,
    SetClock = 0x10,
    CountdownStartStop = 0x11,
    DecimalPoint = 0x13,
    CounterDisable = 0x15,
    CountdownReset = 0x21,
    ModuleLineSpeed = 0x80,
    StartupFunction = 0x90,
    Output2Off = 0xF5,
    Output2On = 0xF6,
    TimeStampRequest = 0xF7,
    Output1Off = 0xF8,
    Output1On = 0xF9,
    BuzzerOn = 0xFA,
    BuzzerOff = 0xFB,
    ToggleFlashing = 0xFC,
};

struct CommandEntry {
    Command command;
    std::size_t dataBytes;
    const char* words; // what it asks for, without its data: "set clock"
};

std::optional<CommandEntry> findCommand(std::uint8_t code);

// Whole length of a command frame by its code; a length rule for FrameSplitter.
std::optional<std::size_t> commandFrameLength(std::uint8_t code);

inline constexpr std::uint8_t codeOf(Command c) {
    return static_cast<std::uint8_t>(c);
}

} // namespace veld::protocol
