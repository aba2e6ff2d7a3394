#include "protocol/ReceiveDecoder.h"

namespace veld::protocol {

namespace {
int buttonFor(std::uint8_t data) {
    switch (data) {
    case 0x10:
        return 1;
    case 0x20:
        return 2;
    case 0x08:
        return 3;
    default:
        return 0;
    }
}
} // namespace

std::optional<ModuleMessage> decodeMessage(std::span<const std::uint8_t> read) {
    if (read.size() < 2)
        return std::nullopt;
    const auto needs = [&](std::size_t n) { return read.size() >= n; };
    ModuleMessage m;
    switch (read[1]) {
    case 0x04:
    case 0x06:
        if (!needs(3))
            return std::nullopt;
        m.kind = read[1] == 0x04 ? MessageKind::TemperatureAtOrAboveZero
                                 : MessageKind::TemperatureBelowZero;
        m.celsius = read[2];
        return m;
    case 0x05:
        m.kind = MessageKind::CounterEvent;
        return m;
    case 0x32:
        m.kind = MessageKind::CounterReset;
        return m;
    case 0x03:
        if (!needs(3))
            return std::nullopt;
        m.kind = MessageKind::ButtonPressed;
        m.button = buttonFor(read[2]);
        return m;
    case 0x01:
        if (!needs(5))
            return std::nullopt;
        m.kind = MessageKind::TimeStamp;
        m.seconds = read[2];
        m.minutes = read[3];
        m.hours = read[4];
        return m;
    default:
        return std::nullopt;
    }
}

} // namespace veld::protocol
