#include "protocol/ReceiveDecoder.h"

#include "protocol/Temperature.h"

#include <array>

namespace veld::protocol {

namespace {
using enum MessageKind;

constexpr std::array<MessageEntry, 6> kMessages{{
    {TimeStamp, 3, true, "time", "time stamp"},
    {ButtonPressed, 1, true, "button", "button"},
    {TemperatureAtOrAboveZero, 1, true, "temp", "temperature"},
    {CounterEvent, 1, false, "count", "counter event"},
    {TemperatureBelowZero, 1, true, "temp", "temperature"},
    {CounterReset, 1, false, "count-reset", "counter reset"},
}};

// The data byte of buttons 1, 2 and 3: button 3 reports 0x08, not the 0x40
// that the pattern would suggest.
constexpr std::array<std::uint8_t, 3> kButtonBytes{0x10, 0x20, 0x08};

// Message lengths by code, 0 for a code the module does not send: the
// splitter asks for every header it meets.
constexpr auto kLengths = [] {
    std::array<std::uint8_t, 256> lengths{};
    for (const MessageEntry& entry : kMessages)
        lengths[static_cast<std::uint8_t>(entry.kind)] =
            static_cast<std::uint8_t>(3 + entry.dataBytes);
    return lengths;
}();
} // namespace

std::optional<MessageEntry> findMessage(std::uint8_t code) {
    for (const MessageEntry& entry : kMessages)
        if (static_cast<std::uint8_t>(entry.kind) == code)
            return entry;
    return std::nullopt;
}

const MessageEntry& entryOf(MessageKind kind) {
    for (const MessageEntry& entry : kMessages)
        if (entry.kind == kind)
            return entry;
    return kMessages.front(); // no kind is without its row
}

std::optional<std::size_t> messageLength(std::uint8_t code) {
    if (kLengths[code] == 0)
        return std::nullopt;
    return kLengths[code];
}

std::optional<ModuleMessage> decodeMessage(std::span<const std::uint8_t> read) {
    if (read.size() < 2)
        return std::nullopt;
    const auto entry = findMessage(read[1]);
    if (!entry || read.size() < 2 + (entry->dataRead ? entry->dataBytes : 0))
        return std::nullopt;
    ModuleMessage m;
    m.kind = entry->kind;
    switch (m.kind) {
    case TimeStamp:
        m.seconds = read[2];
        m.minutes = read[3];
        m.hours = read[4];
        break;
    case ButtonPressed:
        m.buttonData = read[2];
        for (std::size_t i = 0; i < kButtonBytes.size(); ++i)
            if (kButtonBytes[i] == read[2])
                m.button = static_cast<int>(i) + 1;
        break;
    case TemperatureAtOrAboveZero:
    case TemperatureBelowZero:
        m.celsius = read[2];
        break;
    case CounterEvent:
    case CounterReset:
        break;
    }
    return m;
}

Bytes encodeMessage(const ModuleMessage& m) {
    const auto code = static_cast<std::uint8_t>(m.kind);
    switch (m.kind) {
    case TimeStamp:
        return buildFrame(kFrameHeader, code, {m.seconds, m.minutes, m.hours});
    case ButtonPressed:
        return buildFrame(kFrameHeader, code,
                          {m.button >= 1 && m.button <= 3
                               ? kButtonBytes[static_cast<std::size_t>(m.button - 1)]
                               : m.buttonData});
    case TemperatureAtOrAboveZero:
    case TemperatureBelowZero:
        return buildFrame(kFrameHeader, code, {m.celsius});
    case CounterEvent:
    case CounterReset:
        break;
    }
    return buildFrame(kFrameHeader, code, {0x00});
}

int celsiusOf(const ModuleMessage& m) {
    return m.kind == TemperatureBelowZero ? -m.celsius : m.celsius;
}

int fahrenheitOf(const ModuleMessage& m) {
    return m.kind == TemperatureBelowZero ? fahrenheitBelowZero(m.celsius)
                                          : fahrenheitAtOrAboveZero(m.celsius);
}

} // namespace veld::protocol
