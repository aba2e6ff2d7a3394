#include "tools/FrameText.h"

#include "protocol/CommandTable.h"
#include "protocol/ModuleLineSpeed.h"
#include "protocol/ReceiveDecoder.h"
#include "tools/ModuleFunction.h"

#include <cstdio>

namespace veld::tools {

namespace {
std::string hexByte(std::uint8_t b) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", b);
    return text;
}

std::string twoDigits(std::uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "%02u", static_cast<unsigned>(b));
    return text;
}

// Payload of codes 1 and 16: seconds, minutes, hours -> "h:mm:ss".
std::string timeText(const std::vector<std::uint8_t>& d) {
    return std::to_string(d[2]) + ":" + twoDigits(d[1]) + ":" + twoDigits(d[0]);
}
} // namespace

std::string hexText(std::span<const std::uint8_t> bytes) {
    std::string out;
    for (std::uint8_t b : bytes) {
        if (!out.empty())
            out += ' ';
        out += hexByte(b);
    }
    return out;
}

std::string hexText(const protocol::Bytes& bytes) {
    return hexText(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::string hexText(const ReceivedFrame& frame) {
    std::vector<std::uint8_t> wire{protocol::kFrameHeader, frame.code};
    wire.insert(wire.end(), frame.data.begin(), frame.data.end());
    wire.push_back(protocol::kFrameTerminator);
    return hexText(wire);
}

std::string quotedText(const std::string& characters) {
    std::string out = "\"";
    for (char c : characters) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b >= 0x20 && b < 0x7F && c != '"' && c != '\\')
            out += c;
        else
            out += "\\x" + hexByte(b);
    }
    return out + "\"";
}

std::string describeFrame(const ReceivedFrame& frame) {
    using protocol::Command;
    const auto entry = protocol::findCommand(frame.code);
    if (!entry || entry->dataBytes != frame.data.size())
        return "unknown code " + hexByte(frame.code);
    const auto& d = frame.data;
    switch (entry->command) {
    case Command::CountdownInterval:
        return "countdown interval " + timeText(d);
    case Command::DisplayText:
        return "display text " + quotedText(std::string(d.begin(), d.end()));
    case Command::TemperatureRequest:
        return "temperature request";
    case Command::CounterEnable:
        return "counter enable";
    case Command::SetClock:
        return "set clock " + timeText(d);
    case Command::CountdownStartStop:
        return "countdown start/stop";
    case Command::DecimalPoint:
        return d[0] == 0 ? std::string("decimal point off")
                         : "decimal point " + std::to_string(d[0]);
    case Command::CounterDisable:
        return "counter disable";
    case Command::CountdownReset:
        return "countdown reset";
    case Command::ModuleLineSpeed:
        if (const auto speed = protocol::moduleLineSpeedForByte(d[0]))
            return "module line speed " + std::to_string(*speed) + " bit/s";
        return "module line speed, unknown byte " + hexByte(d[0]);
    case Command::StartupFunction:
        if (const auto function = moduleFunctionForByte(d[0]))
            return "start-up function " + functionName(*function);
        return "start-up function, unknown byte " + hexByte(d[0]);
    case Command::Output2Off:
        return "output 2 off";
    case Command::Output2On:
        return "output 2 on";
    case Command::TimeStampRequest:
        return "time stamp request";
    case Command::Output1Off:
        return "output 1 off";
    case Command::Output1On:
        return "output 1 on";
    case Command::BuzzerOn:
        return "buzzer on";
    case Command::BuzzerOff:
        return "buzzer off";
    case Command::ToggleFlashing:
        return "toggle flashing";
    }
    return "unknown code " + hexByte(frame.code);
}

std::string describeMessage(const protocol::Bytes& message) {
    using protocol::MessageKind;
    if (message.size() < 4)
        return "nothing";
    const std::uint8_t data = protocol::byteAt(message, 2);
    switch (static_cast<MessageKind>(protocol::byteAt(message, 1))) {
    case MessageKind::TimeStamp:
        if (message.size() < 6)
            break;
        return "time stamp " + std::to_string(protocol::byteAt(message, 4)) + ":" +
               twoDigits(protocol::byteAt(message, 3)) + ":" + twoDigits(data);
    case MessageKind::ButtonPressed:
        switch (data) {
        case 0x10:
            return "button 1";
        case 0x20:
            return "button 2";
        case 0x08:
            return "button 3";
        default:
            return "button byte " + hexByte(data);
        }
    case MessageKind::TemperatureAtOrAboveZero:
        return "temperature " + std::to_string(data) + " C";
    case MessageKind::TemperatureBelowZero:
        return "temperature -" + std::to_string(data) + " C";
    case MessageKind::CounterEvent:
        return "counter event";
    case MessageKind::CounterReset:
        return "counter reset";
    }
    return "message code " + hexByte(protocol::byteAt(message, 1));
}

} // namespace veld::tools
