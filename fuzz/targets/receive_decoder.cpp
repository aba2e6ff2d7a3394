// The receive decoder over any read, and what the poll timer derives from it;
// reading past the end is the sanitizers' to catch.

#include "FuzzCheck.h"
#include "protocol/EventCount.h"
#include "protocol/Frame.h"
#include "protocol/ReadDecoder.h"
#include "protocol/ReceiveDecoder.h"
#include "protocol/WireText.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace veld::protocol;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> read(data, size);
    // What the poll takes of it, and what the traffic window says of that.
    const DecodedRead decoded = ReadDecoder().decode(read);
    FUZZ_CHECK(!describeRead(decoded).empty());
    FUZZ_CHECK(decoded.messages.size() == decoded.frames.size());
    const auto message = decodeMessage(read);
    if (!message)
        return 0;
    // Only position 1 selects, and the data bytes it names are the read's own.
    FUZZ_CHECK(size >= 2 && static_cast<std::uint8_t>(message->kind) == read[1]);
    FUZZ_CHECK(message->button >= 0 && message->button <= 3);
    FUZZ_CHECK(
        message->kind != MessageKind::TimeStamp ||
        (message->seconds == read[2] && message->minutes == read[3] && message->hours == read[4]));
    const int f = fahrenheitOf(*message);
    FUZZ_CHECK(f >= -427 && f <= 491);
    // What the module would send for it reads back as the same message.
    const Bytes sent = encodeMessage(*message);
    const auto again = decodeMessage(bytesOf(sent));
    FUZZ_CHECK(again && encodeMessage(*again) == sent);
    // The count never wraps, whatever the data says.
    const auto count = static_cast<std::int16_t>((data[0] << 8 | data[size - 1]) & 0x7fff);
    FUZZ_CHECK(nextEventCount(count) - count <= 1 && nextEventCount(count) >= count);
    return 0;
}
