#pragma once

#include "protocol/Frame.h"

#include <cstdint>
#include <string_view>

namespace veld::protocol {

inline constexpr std::size_t kDisplayDigits = 6;
// Decimal point N, 1 to 6, is the point of digit N counted from the left, as
// the module numbers them; 0 lights none. The digit as an index from 0.
inline constexpr std::size_t digitOfPoint(std::uint8_t point) {
    return point - 1u;
}
inline constexpr std::uint8_t pointOfDigit(std::size_t digit) {
    return static_cast<std::uint8_t>(digit + 1);
}

// Byte put in place of a character that has no single-byte code.
inline constexpr std::uint8_t kUnmappableCharacter = '?';

// The text as bytes: characters 0 to 255 keep their code, others become '?'.
Bytes textBytes(std::u16string_view text);

// The display-text frame: six bytes right-aligned and space-padded on the left.
// A text longer than six characters keeps its last six, so that its last
// character still lands on the sixth digit. An empty text gives six spaces.
Bytes buildTextFrame(std::uint8_t header, std::u16string_view text);

} // namespace veld::protocol
