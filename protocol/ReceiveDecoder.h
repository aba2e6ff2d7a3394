#pragma once

#include "protocol/Frame.h"

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

struct MessageEntry {
    MessageKind kind;
    std::size_t dataBytes; // on the wire, between the code and the terminator
    bool dataRead;         // whether the decoder reads them
    const char* name;      // one word, as veldctl watch prints it: "count-reset"
    const char* words;     // as the module's log says it: "counter reset"
};

std::optional<MessageEntry> findMessage(std::uint8_t code);
// The row of a kind; every kind has one.
const MessageEntry& entryOf(MessageKind kind);

struct ModuleMessage {
    MessageKind kind = MessageKind::CounterEvent;
    // TimeStamp
    std::uint8_t seconds = 0;
    std::uint8_t minutes = 0;
    std::uint8_t hours = 0;
    // ButtonPressed: 1, 2 or 3; 0 when the data byte names no single button
    int button = 0;
    std::uint8_t buttonData = 0;
    // Temperatures: the data byte, degrees Celsius (a magnitude below zero)
    std::uint8_t celsius = 0;
};

// Whole length of a module message by its code: FE 01 ss mm hh FF for a time
// stamp, FE code data FF for every other; a length rule for FrameSplitter.
std::optional<std::size_t> messageLength(std::uint8_t code);

// Decodes the one message that position 1 of one read selects; everything else
// in the read is ignored. Never reads past the end: a read too short for its
// code's data (a time stamp needs five bytes) decodes to nothing.
std::optional<ModuleMessage> decodeMessage(std::span<const std::uint8_t> read);

// The message as the module sends it; the data byte of button 1, 2 or 3.
// The counter messages carry a data byte 0.
Bytes encodeMessage(const ModuleMessage& message);

// The signed reading of a temperature message in degrees Celsius, and in
// Fahrenheit rounded as the panel does.
int celsiusOf(const ModuleMessage& message);
int fahrenheitOf(const ModuleMessage& message);

} // namespace veld::protocol
