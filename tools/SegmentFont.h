#pragma once

#include <cstdint>

namespace veld::tools {

// Segments of one digit, one bit each: a top, b upper right, c lower right,
// d bottom, e lower left, f upper left, g middle.
enum class Segment : std::uint8_t {
    A = 1u << 0,
    B = 1u << 1,
    C = 1u << 2,
    D = 1u << 3,
    E = 1u << 4,
    F = 1u << 5,
    G = 1u << 6,
};

// The display's character set: 0 to 9, A b C c d E F H h I J L n o P r S U u
// y, '-' and space, in exactly these cases.
bool isDisplayCharacter(char c);

// The segments lit for a character; none for characters outside the set.
std::uint8_t segmentsFor(char c);

} // namespace veld::tools
