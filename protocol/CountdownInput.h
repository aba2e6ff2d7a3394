#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

namespace veld::protocol {

// The number test of the countdown boxes: blanks, an optional sign, digits
// with an optional decimal separator and fraction, blanks. At least one digit;
// an empty or blank text is not a number.
std::optional<double> parseNumber(std::u16string_view text, char16_t decimalSeparator);

// Nearest whole number, an exact half going to the even neighbour.
double roundHalfEven(double value);

// A time of day or a countdown interval as the set-clock and countdown-interval
// frames carry it.
struct TimePayload {
    std::uint8_t seconds = 0;
    std::uint8_t minutes = 0;
    std::uint8_t hours = 0;

    // The frame's data bytes, seconds first.
    std::array<std::uint8_t, 3> data() const { return {seconds, minutes, hours}; }
};

enum class IntervalError { NotNumeric, OutOfRange };

struct IntervalResult {
    std::optional<TimePayload> payload;
    IntervalError error = IntervalError::NotNumeric; // meaningful only without payload
};

// One box's text as its byte of the payload: a number that, rounded, fits one
// unsigned byte (0 to 255).
std::variant<std::uint8_t, IntervalError> intervalValue(std::u16string_view text,
                                                        char16_t decimalSeparator);

// Converts the three box texts to the countdown payload. Every value must be a
// number, and after rounding must fit one unsigned byte (0 to 255).
IntervalResult convertInterval(std::u16string_view hours, std::u16string_view minutes,
                               std::u16string_view seconds, char16_t decimalSeparator);

} // namespace veld::protocol
