// The receive decoder over any read the port can return, and the readings the
// poll timer derives from a decoded message.

#include "FuzzCheck.h"
#include "protocol/EventCount.h"
#include "protocol/ReceiveDecoder.h"
#include "protocol/Temperature.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace veld::protocol;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> read(data, size);
    const auto message = decodeMessage(read);
    if (!message)
        return 0;

    // Only position 1 selects, and a message never needs bytes the read lacks.
    FUZZ_CHECK(size >= 2);
    FUZZ_CHECK(static_cast<std::uint8_t>(message->kind) == read[1]);
    switch (message->kind) {
    case MessageKind::TimeStamp:
        FUZZ_CHECK(size >= 5);
        FUZZ_CHECK(message->seconds == read[2] && message->minutes == read[3] &&
                   message->hours == read[4]);
        break;
    case MessageKind::ButtonPressed:
        FUZZ_CHECK(size >= 3);
        FUZZ_CHECK(message->button >= 0 && message->button <= 3);
        FUZZ_CHECK((message->button == 1) == (read[2] == 0x10));
        FUZZ_CHECK((message->button == 2) == (read[2] == 0x20));
        FUZZ_CHECK((message->button == 3) == (read[2] == 0x08));
        break;
    case MessageKind::TemperatureAtOrAboveZero: {
        FUZZ_CHECK(size >= 3 && message->celsius == read[2]);
        const int f = fahrenheitAtOrAboveZero(message->celsius);
        FUZZ_CHECK(f >= 32 && f <= 491);
        break;
    }
    case MessageKind::TemperatureBelowZero: {
        FUZZ_CHECK(size >= 3 && message->celsius == read[2]);
        const int f = fahrenheitBelowZero(message->celsius);
        FUZZ_CHECK(f >= -427 && f <= 32);
        break;
    }
    case MessageKind::CounterEvent: {
        // The count never wraps, whatever the data says.
        std::int16_t count =
            size >= 4 ? static_cast<std::int16_t>((read[2] << 8 | read[3]) & 0x7fff) : 0;
        const std::int16_t next = nextEventCount(count);
        FUZZ_CHECK(next >= count && next - count <= 1);
        break;
    }
    case MessageKind::CounterReset:
        break;
    }
    return 0;
}
