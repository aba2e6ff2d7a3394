#include "protocol/WireText.h"

#include "protocol/CommandTable.h"
#include "protocol/ModuleLineSpeed.h"
#include "protocol/StartupFunction.h"

namespace veld::protocol {

namespace {
std::string hexByte(std::uint8_t b) {
    return hexText(std::span(&b, 1));
}

// Payload of codes 1 and 16, seconds first: the time it carries.
std::string payloadTime(const Bytes& frame) {
    return timeText(byteAt(frame, 4), byteAt(frame, 3), byteAt(frame, 2));
}
} // namespace

std::string twoDigits(int value) {
    std::string text = std::to_string(value);
    return value < 10 ? text.insert(0, 1, '0') : text;
}

std::string timeText(int hours, int minutes, int seconds) {
    return std::to_string(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(seconds);
}

std::string quotedText(std::string_view characters) {
    std::string out = "\"";
    for (const char c : characters) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b >= 0x20 && b < 0x7F && c != '"' && c != '\\')
            out += c;
        else
            out.append("\\x").append(hexByte(b));
    }
    return out + "\"";
}

std::string describeCommand(const Bytes& frame) {
    const auto entry = frame.size() >= 3 ? findCommand(byteAt(frame, 1)) : std::nullopt;
    if (!entry || entry->dataBytes + 3 != frame.size())
        return std::string("unknown code ")
            .append(frame.size() >= 2 ? hexByte(byteAt(frame, 1)) : std::string());
    std::string words = entry->words;
    const std::uint8_t data = entry->dataBytes > 0 ? byteAt(frame, 2) : 0;
    switch (entry->command) {
    case Command::CountdownInterval:
    case Command::SetClock:
        return words + " " + payloadTime(frame);
    case Command::DisplayText:
        return words + " " + quotedText(std::string_view(frame).substr(2, entry->dataBytes));
    case Command::DecimalPoint:
        return words + ' ' + (data == 0 ? std::string("off") : std::to_string(data));
    case Command::ModuleLineSpeed:
        if (const auto speed = moduleLineSpeedForByte(data))
            return words + " " + std::to_string(*speed) + " bit/s";
        return words + ", unknown byte " + hexByte(data);
    case Command::StartupFunction:
        if (const auto function = functionForByte(data))
            return words + " " + functionName(*function);
        return words + ", unknown byte " + hexByte(data);
    default:
        return words;
    }
}

std::string describeMessage(const Bytes& message) {
    const auto m = decodeMessage(bytesOf(message));
    if (!m)
        return std::string("message code ")
            .append(message.size() >= 2 ? hexByte(byteAt(message, 1)) : "none");
    std::string words = entryOf(m->kind).words;
    switch (m->kind) {
    case MessageKind::TimeStamp:
        return words + " " + timeText(m->hours, m->minutes, m->seconds);
    case MessageKind::ButtonPressed:
        return m->button ? words + " " + std::to_string(m->button)
                         : words + " byte " + hexByte(m->buttonData);
    case MessageKind::TemperatureAtOrAboveZero:
    case MessageKind::TemperatureBelowZero:
        return words + (m->kind == MessageKind::TemperatureBelowZero ? " -" : " ") +
               std::to_string(m->celsius) + " C";
    case MessageKind::CounterEvent:
    case MessageKind::CounterReset:
        break;
    }
    return words;
}

std::string describeRead(const DecodedRead& read) {
    static constexpr const char* kCounts[] = {"no",   "one", "two",   "three", "four",
                                              "five", "six", "seven", "eight", "nine"};
    const auto count = [](std::size_t n) {
        std::string words = n < std::size(kCounts) ? kCounts[n] : std::to_string(n);
        return words.append(n == 1 ? " byte" : " bytes");
    };
    std::string words;
    const auto append = [&words](const std::string& part) {
        words.append(words.empty() ? "" : "; ").append(part);
    };
    for (const Bytes& frame : read.frames)
        append(describeMessage(frame));
    if (read.skippedBytes > 0)
        append(count(read.skippedBytes) + " skipped");
    if (!read.held.empty()) {
        const auto entry = read.held.size() >= 2 ? findMessage(byteAt(read.held, 1)) : std::nullopt;
        append(count(read.held.size()) + (entry ? std::string(" of a ") + entry->words : "") +
               " held for the next read");
    }
    return words.empty() ? std::string("nothing") : words;
}

std::string messageLine(const ModuleMessage& m) {
    std::string name = entryOf(m.kind).name;
    switch (m.kind) {
    case MessageKind::TimeStamp:
        return name + " " + timeText(m.hours, m.minutes, m.seconds);
    case MessageKind::ButtonPressed:
        return name + " " + std::to_string(m.button);
    case MessageKind::TemperatureAtOrAboveZero:
    case MessageKind::TemperatureBelowZero:
        return name + " " + std::to_string(celsiusOf(m));
    case MessageKind::CounterEvent:
    case MessageKind::CounterReset:
        break;
    }
    return name;
}

} // namespace veld::protocol
