#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace veld::protocol {

// The module messages, by the code at position 1 of a read.
enum class MessageKind : std::uint8_t {
    TimeStamp = 0x01,
    ButtonPressed = 0x03,
    TemperatureAtOrAboveZero = 0x04,
    CounterEvent = 0x05,
    TemperatureBelowZero = 0x06,
    CounterReset = 0x32,
};

struct ModuleMessage {
    MessageKind kind = MessageKind::CounterEvent;
    // TimeStamp
    std::uint8_t seconds = 0;
    std::uint8_t minutes = 0;
    std::uint8_t hours = 0;
    // ButtonPressed: 1, 2 or 3; 0 when the data byte names no single button
    int button = 0;
    // Temperatures: the data byte, degrees Celsius (a magnitude below zero)
    std::uint8_t celsius = 0;
};

// Decodes the one message that position 1 of one read selects; everything else
// in the read is ignored. Never reads past the end: a read too short for its
// code's data (a time stamp needs five bytes) decodes to nothing.
std::optional<ModuleMessage> decodeMessage(std::span<const std::uint8_t> read);

} // namespace veld::protocol
