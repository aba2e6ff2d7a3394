#pragma once

#include <cstdint>

namespace veld::protocol {

// Fahrenheit reading for a Celsius magnitude from the module: value * 1.8 + 32
// at or above zero, 32 - value * 1.8 below, rounded half to even.
std::int16_t fahrenheitAtOrAboveZero(std::uint8_t celsius);
std::int16_t fahrenheitBelowZero(std::uint8_t celsiusMagnitude);

} // namespace veld::protocol
