// The virtual module's frame parser over any byte stream from the panel, fed
// in one piece and again in pieces the input chooses: the frames found must
// not depend on how the stream was split.

#include "FuzzCheck.h"
#include "protocol/CommandTable.h"
#include "protocol/Frame.h"
#include "tools/FrameParser.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

using veld::tools::FrameParser;
using veld::tools::ReceivedFrame;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    // The first byte seeds the piece sizes; the rest is the stream.
    std::uint32_t seed = data[0] * 2654435761U + 1;
    const std::span<const std::uint8_t> stream(data + 1, size - 1);

    FrameParser whole;
    const std::vector<ReceivedFrame> once = whole.feed(stream);

    FrameParser pieces;
    std::vector<ReceivedFrame> split;
    for (std::size_t at = 0; at < stream.size();) {
        seed = seed * 1103515245U + 12345U;
        const std::size_t n = std::min<std::size_t>(1 + (seed >> 16) % 7, stream.size() - at);
        const auto got = pieces.feed(stream.subspan(at, n));
        split.insert(split.end(), got.begin(), got.end());
        at += n;
    }
    FUZZ_CHECK(split == once);
    FUZZ_CHECK(pieces.hasPartial() == whole.hasPartial());
    FUZZ_CHECK(pieces.discardedBytes() == whole.discardedBytes());

    std::size_t frameBytes = 0;
    for (const ReceivedFrame& f : once) {
        const auto entry = veld::protocol::findCommand(f.code);
        FUZZ_CHECK(entry && entry->dataBytes == f.data.size());
        frameBytes += 3 + f.data.size();
    }
    FUZZ_CHECK(frameBytes <= stream.size());

    // Giving up a partial frame leaves nothing held; every byte is accounted for.
    const auto late = whole.expirePartial();
    FUZZ_CHECK(!whole.hasPartial());
    for (const ReceivedFrame& f : late)
        frameBytes += 3 + f.data.size();
    FUZZ_CHECK(frameBytes + whole.discardedBytes() == stream.size());
    whole.reset();
    FUZZ_CHECK(whole.feed({}).empty());
    return 0;
}
