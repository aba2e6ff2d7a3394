#include "tools/SegmentFont.h"

#include <array>

namespace veld::tools {

namespace {
struct Glyph {
    char character;
    std::uint8_t segments; // bits a (0) to g (6)
};

constexpr std::array<Glyph, 32> kGlyphs{{
    {'0', 0x3F}, {'1', 0x06}, {'2', 0x5B}, {'3', 0x4F}, {'4', 0x66}, {'5', 0x6D}, {'6', 0x7D},
    {'7', 0x07}, {'8', 0x7F}, {'9', 0x6F}, {'A', 0x77}, {'b', 0x7C}, {'C', 0x39}, {'c', 0x58},
    {'d', 0x5E}, {'E', 0x79}, {'F', 0x71}, {'H', 0x76}, {'h', 0x74}, {'I', 0x30}, {'J', 0x1E},
    {'L', 0x38}, {'n', 0x54}, {'o', 0x5C}, {'P', 0x73}, {'r', 0x50}, {'S', 0x6D}, {'U', 0x3E},
    {'u', 0x1C}, {'y', 0x6E}, {'-', 0x40}, {' ', 0x00},
}};

const Glyph* find(char c) {
    for (const Glyph& g : kGlyphs)
        if (g.character == c)
            return &g;
    return nullptr;
}
} // namespace

bool isDisplayCharacter(char c) {
    return find(c) != nullptr;
}

std::uint8_t segmentsFor(char c) {
    const Glyph* g = find(c);
    return g ? g->segments : 0;
}

} // namespace veld::tools
