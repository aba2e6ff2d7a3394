#include "protocol/Frame.h"

namespace veld::protocol {

Bytes buildFrame(std::uint8_t header, std::uint8_t code, std::span<const std::uint8_t> data) {
    Bytes frame;
    frame.reserve(data.size() + 3);
    frame.push_back(static_cast<char>(header));
    frame.push_back(static_cast<char>(code));
    for (std::uint8_t b : data)
        frame.push_back(static_cast<char>(b));
    frame.push_back(static_cast<char>(kFrameTerminator));
    return frame;
}

Bytes buildFrame(std::uint8_t header, std::uint8_t code, std::initializer_list<std::uint8_t> data) {
    return buildFrame(header, code, std::span<const std::uint8_t>(data.begin(), data.size()));
}

std::string hexText(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const std::uint8_t b : bytes) {
        if (!out.empty())
            out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
    }
    return out;
}

} // namespace veld::protocol
