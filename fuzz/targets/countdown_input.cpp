// The countdown boxes: the number test and the conversion of three box texts
// to the interval payload. The input is the three texts as UTF-16, separated
// by a NUL character; the first byte picks the decimal separator.

#include "FuzzCheck.h"
#include "protocol/CountdownInput.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

using namespace veld::protocol;

namespace {
void checkNumber(std::u16string_view text, char16_t separator) {
    const auto value = parseNumber(text, separator);
    if (!value)
        return;
    FUZZ_CHECK(!std::isnan(*value));
    // Blanks around a number do not change it.
    std::u16string padded = u" \t";
    padded.append(text);
    padded.append(u"\t ");
    const auto again = parseNumber(padded, separator);
    FUZZ_CHECK(again && *again == *value);

    const double r = roundHalfEven(*value);
    if (std::isfinite(*value)) {
        FUZZ_CHECK(std::fabs(r - *value) <= 0.5);
        FUZZ_CHECK(r == std::floor(r));
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const char16_t separator = (data[0] & 1) != 0 ? u',' : u'.';
    std::array<std::u16string, 3> boxes;
    std::size_t box = 0;
    for (std::size_t i = 1; i + 1 < size && box < boxes.size(); i += 2) {
        const auto c = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (c == 0)
            ++box;
        else
            boxes[box].push_back(c);
    }
    for (const auto& text : boxes)
        checkNumber(text, separator);

    const auto result = convertInterval(boxes[0], boxes[1], boxes[2], separator);
    const auto h = parseNumber(boxes[0], separator);
    const auto m = parseNumber(boxes[1], separator);
    const auto s = parseNumber(boxes[2], separator);
    if (!h || !m || !s) {
        FUZZ_CHECK(!result.payload && result.error == IntervalError::NotNumeric);
        return 0;
    }
    const std::array<double, 3> rounded = {roundHalfEven(*s), roundHalfEven(*m), roundHalfEven(*h)};
    bool inRange = true;
    for (double r : rounded)
        inRange = inRange && r >= 0.0 && r <= 255.0;
    if (!inRange) {
        FUZZ_CHECK(!result.payload && result.error == IntervalError::OutOfRange);
        return 0;
    }
    FUZZ_CHECK(result.payload);
    FUZZ_CHECK(result.payload->seconds == rounded[0] && result.payload->minutes == rounded[1] &&
               result.payload->hours == rounded[2]);
    return 0;
}
