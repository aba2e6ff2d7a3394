#include "protocol/ModuleLineSpeed.h"

#include <array>

namespace veld::protocol {

namespace {
constexpr std::array<ModuleLineSpeed, 5> kSpeeds{{
    {"mnum12", 1200, 0xAB},
    {"mnum24", 2400, 0x55},
    {"mnum48", 4800, 0x2B},
    {"mnum96", 9600, 0x15},
    {"mnum192", 19200, 0x0B},
}};
} // namespace

std::span<const ModuleLineSpeed> moduleLineSpeeds() {
    return kSpeeds;
}

std::optional<std::uint8_t> moduleLineSpeedByte(std::string_view menuItem) {
    for (const auto& s : kSpeeds)
        if (s.menuItem == menuItem)
            return s.dataByte;
    return std::nullopt;
}

std::optional<std::uint32_t> moduleLineSpeedForByte(std::uint8_t dataByte) {
    for (const auto& s : kSpeeds)
        if (s.dataByte == dataByte)
            return s.bitsPerSecond;
    return std::nullopt;
}

} // namespace veld::protocol
