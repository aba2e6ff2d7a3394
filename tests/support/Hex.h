#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace veld::test {

// "FE 03 20 FF" as bytes, for readable inputs; protocol::hexText writes bytes so.
inline std::vector<std::uint8_t> fromHex(const std::string& hex) {
    std::istringstream in(hex);
    std::vector<std::uint8_t> out;
    unsigned value = 0;
    while (in >> std::hex >> value)
        out.push_back(static_cast<std::uint8_t>(value));
    return out;
}

} // namespace veld::test
