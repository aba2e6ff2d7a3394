#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace veld::test {

// "FE 03 20 FF" as bytes, one char each, and back: readable expectations.
inline std::string fromHex(const std::string& hex) {
    std::istringstream in(hex);
    std::string out;
    unsigned value = 0;
    while (in >> std::hex >> value)
        out.push_back(static_cast<char>(value));
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

inline std::vector<std::uint8_t> bytesOf(const std::string& hex) {
    const std::string b = fromHex(hex);
    return {b.begin(), b.end()};
}

} // namespace veld::test
