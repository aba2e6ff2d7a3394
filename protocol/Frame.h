#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

namespace veld::protocol {

// A frame or any other byte string on the wire: each char is one byte 0 to 255.
using Bytes = std::string;

inline constexpr std::uint8_t kFrameHeader = 0xFE;
inline constexpr std::uint8_t kFrameTerminator = 0xFF;

// header, code, data bytes in order, terminator.
Bytes buildFrame(std::uint8_t header, std::uint8_t code, std::span<const std::uint8_t> data = {});
Bytes buildFrame(std::uint8_t header, std::uint8_t code, std::initializer_list<std::uint8_t> data);

inline std::uint8_t byteAt(const Bytes& bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

inline std::span<const std::uint8_t> bytesOf(const Bytes& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

// "FE 03 20 31 FF": each byte as two upper-case hex digits, blank-separated.
std::string hexText(std::span<const std::uint8_t> bytes);
inline std::string hexText(const Bytes& bytes) {
    return hexText(bytesOf(bytes));
}

} // namespace veld::protocol
