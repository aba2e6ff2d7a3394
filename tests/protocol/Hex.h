#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace veld::test {

// "FE 03 20 FF" <-> bytes, for readable expectations.
inline std::string fromHex(const std::string& hex) {
    std::istringstream in(hex);
    std::string out;
    unsigned value = 0;
    while (in >> std::hex >> value)
        out.push_back(static_cast<char>(value));
    return out;
}

inline std::string toHex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty())
            out.push_back(' ');
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

inline std::vector<std::uint8_t> bytesOf(const std::string& hex) {
    const std::string b = fromHex(hex);
    return {b.begin(), b.end()};
}

} // namespace veld::test
