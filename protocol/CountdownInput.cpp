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

IntervalResult convertInterval(std::u16string_view hours, std::u16string_view minutes,
                               std::u16string_view seconds, char16_t decimalSeparator) {
    const auto h = parseNumber(hours, decimalSeparator);
    const auto m = parseNumber(minutes, decimalSeparator);
    const auto s = parseNumber(seconds, decimalSeparator);
    if (!h || !m || !s)
        return {std::nullopt, IntervalError::NotNumeric};

    std::uint8_t bytes[3] = {};
    const double values[3] = {*s, *m, *h};
    for (int k = 0; k < 3; ++k) {
        const double r = roundHalfEven(values[k]);
        // Range check on the double, before any narrowing conversion.
        if (!(r >= 0.0 && r <= 255.0))
            return {std::nullopt, IntervalError::OutOfRange};
        bytes[k] = static_cast<std::uint8_t>(r);
    }
    return {TimePayload{bytes[0], bytes[1], bytes[2]}, IntervalError::NotNumeric};
}

} // namespace veld::protocol
