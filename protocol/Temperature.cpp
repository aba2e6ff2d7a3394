#include "protocol/Temperature.h"

#include "protocol/CountdownInput.h"

namespace veld::protocol {

// Results lie between -427 and 491, well inside 16 bits.
std::int16_t fahrenheitAtOrAboveZero(std::uint8_t celsius) {
    return static_cast<std::int16_t>(roundHalfEven(celsius * 1.8 + 32.0));
}

std::int16_t fahrenheitBelowZero(std::uint8_t celsiusMagnitude) {
    return static_cast<std::int16_t>(roundHalfEven(32.0 - celsiusMagnitude * 1.8));
}

} // namespace veld::protocol
