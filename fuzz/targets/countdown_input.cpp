// The countdown boxes' number test and conversion; the input is three UTF-16
// texts separated by NUL, after a first byte that picks the decimal separator.

#include "FuzzCheck.h"
#include "protocol/CountdownInput.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

using namespace veld::protocol;

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
    // Each box: blanks around a number do not change it; it rounds to a
    // whole number within one half. The payload holds exactly those numbers
    // when all three fit a byte.
    bool numbers = true;
    bool inRange = true;
    std::array<double, 3> rounded{}; // seconds, minutes, hours
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        const auto value = parseNumber(boxes[k], separator);
        numbers = numbers && value;
        if (!value)
            continue;
        const auto padded = parseNumber(u" \t" + boxes[k] + u"\t ", separator);
        FUZZ_CHECK(!std::isnan(*value) && padded && *padded == *value);
        rounded[2 - k] = roundHalfEven(*value);
        FUZZ_CHECK(!std::isfinite(*value) || std::fabs(rounded[2 - k] - *value) <= 0.5);
        inRange = inRange && rounded[2 - k] >= 0.0 && rounded[2 - k] <= 255.0;
    }
    const auto result = convertInterval(boxes[0], boxes[1], boxes[2], separator);
    FUZZ_CHECK(result.payload.has_value() == (numbers && inRange));
    if (!result.payload)
        FUZZ_CHECK(result.error ==
                   (numbers ? IntervalError::OutOfRange : IntervalError::NotNumeric));
    else
        FUZZ_CHECK(result.payload->seconds == rounded[0] && result.payload->minutes == rounded[1] &&
                   result.payload->hours == rounded[2]);
    return 0;
}
