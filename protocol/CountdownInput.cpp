#include "protocol/CountdownInput.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace veld::protocol {

namespace {
bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}
bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
} // namespace

std::optional<double> parseNumber(std::u16string_view text, char16_t decimalSeparator) {
    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && isBlank(text[i]))
        ++i;
    while (end > i && isBlank(text[end - 1]))
        --end;

    std::string ascii; // normalised for strtod: sign, digits, '.', digits
    if (i < end && (text[i] == u'+' || text[i] == u'-'))
        ascii.push_back(static_cast<char>(text[i++]));
    std::size_t digits = 0;
    while (i < end && isDigit(text[i])) {
        ascii.push_back(static_cast<char>(text[i++]));
        ++digits;
    }
    if (i < end && text[i] == decimalSeparator) {
        ascii.push_back('.');
        ++i;
        while (i < end && isDigit(text[i])) {
            ascii.push_back(static_cast<char>(text[i++]));
            ++digits;
        }
    }
    if (i != end || digits == 0)
        return std::nullopt;
    // strtod reads "5." and ".5"; a long digit string becomes a large or infinite value.
    return std::strtod(ascii.c_str(), nullptr);
}

double roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff > 0.5)
        return lower + 1.0;
    if (diff < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

std::variant<std::uint8_t, IntervalError> intervalValue(std::u16string_view text,
                                                        char16_t decimalSeparator) {
    const auto number = parseNumber(text, decimalSeparator);
    if (!number)
        return IntervalError::NotNumeric;
    const double r = roundHalfEven(*number);
    // Range check on the double, before any narrowing conversion.
    if (!(r >= 0.0 && r <= 255.0))
        return IntervalError::OutOfRange;
    return static_cast<std::uint8_t>(r);
}

IntervalResult convertInterval(std::u16string_view hours, std::u16string_view minutes,
                               std::u16string_view seconds, char16_t decimalSeparator) {
    // Seconds, minutes, hours: the payload's order. Not a number wins over
    // out of range.
    const std::variant<std::uint8_t, IntervalError> values[3] = {
        intervalValue(seconds, decimalSeparator), intervalValue(minutes, decimalSeparator),
        intervalValue(hours, decimalSeparator)};
    for (const IntervalError error : {IntervalError::NotNumeric, IntervalError::OutOfRange})
        for (const auto& value : values)
            if (const auto* e = std::get_if<IntervalError>(&value); e && *e == error)
                return {std::nullopt, error};
    return {TimePayload{std::get<std::uint8_t>(values[0]), std::get<std::uint8_t>(values[1]),
                        std::get<std::uint8_t>(values[2])},
            IntervalError::NotNumeric};
}

} // namespace veld::protocol
