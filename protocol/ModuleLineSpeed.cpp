#include "protocol/ModuleLineSpeed.h"

#include <array>

namespace veld::protocol {

namespace {
struct ModuleLineSpeed {
    std::uint32_t bitsPerSecond;
    std::uint8_t dataByte;
};
constexpr std::array<ModuleLineSpeed, 5> kSpeeds{{
    {1200, 0xAB},
    {2400, 0x55},
    {4800, 0x2B},
    {9600, 0x15},
    {19200, 0x0B},
}};
} // namespace

std::optional<std::uint8_t> moduleLineSpeedByte(std::uint32_t bitsPerSecond) {
    for (const auto& s : kSpeeds)
        if (s.bitsPerSecond == bitsPerSecond)
            return s.dataByte;
    return std::nullopt;
}

std::optional<std::uint32_t> moduleLineSpeedForByte(std::uint8_t dataByte) {
    for (const auto& s : kSpeeds)
        if (s.dataByte == dataByte)
            return s.bitsPerSecond;
    return std::nullopt;
}

std::vector<std::uint32_t> moduleLineSpeeds() {
    std::vector<std::uint32_t> speeds;
    speeds.reserve(kSpeeds.size());
    for (const auto& s : kSpeeds)
        speeds.push_back(s.bitsPerSecond);
    return speeds;
}

} // namespace veld::protocol
