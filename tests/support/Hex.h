#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace veld::test {

// "FE 03 20 FF" as bytes, and bytes back as such text: readable expectations.
inline std::vector<std::uint8_t> fromHex(const std::string& hex) {
    std::istringstream in(hex);
    std::vector<std::uint8_t> out;
    unsigned value = 0;
    while (in >> std::hex >> value)
        out.push_back(static_cast<std::uint8_t>(value));
    return out;
}

inline std::string toHex(const std::string& bytes) {
    std::string out;
    for (const unsigned char c : bytes) {
        out += out.empty() ? "" : " ";
        out += "0123456789ABCDEF"[c >> 4];
        out += "0123456789ABCDEF"[c & 15];
    }
    return out;
}

} // namespace veld::test
