#include "protocol/TextCommand.h"

#include "protocol/CommandTable.h"

namespace veld::protocol {

Bytes textBytes(std::u16string_view text) {
    Bytes out;
    out.reserve(text.size());
    for (char16_t c : text)
        out.push_back(
            static_cast<char>(c <= 0xFF ? static_cast<std::uint8_t>(c) : kUnmappableCharacter));
    return out;
}

Bytes buildTextFrame(std::uint8_t header, std::u16string_view text) {
    if (text.size() > kDisplayDigits)
        text = text.substr(text.size() - kDisplayDigits);
    Bytes payload(kDisplayDigits - text.size(), ' ');
    payload += textBytes(text);
    return buildFrame(
        header, codeOf(Command::DisplayText),
        std::span(reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size()));
}

} // namespace veld::protocol
