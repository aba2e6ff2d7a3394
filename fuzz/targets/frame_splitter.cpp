// The frame splitter over any stream, either length rule, fed whole and in pieces
// the input chooses: the frames found must not depend on the pieces.

#include "FuzzCheck.h"
#include "protocol/CommandTable.h"
#include "protocol/FrameSplitter.h"
#include "protocol/ReceiveDecoder.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

using veld::protocol::Bytes;
using veld::protocol::FrameSplitter;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    // The first byte picks the rule (lowest bit) and seeds the piece sizes;
    // the rest is the stream.
    const FrameSplitter::LengthRule rule =
        data[0] & 1 ? veld::protocol::messageLength : veld::protocol::commandFrameLength;
    std::uint32_t seed = data[0] * 2654435761U + 1;
    const std::span<const std::uint8_t> stream(data + 1, size - 1);

    FrameSplitter whole(rule);
    const std::vector<Bytes> once = whole.feed(stream);

    // The same stream in up to eight pieces, cut where the seed says.
    FrameSplitter pieces(rule);
    std::vector<Bytes> split;
    for (std::size_t at = 0, cuts = 0; at < stream.size(); ++cuts) {
        seed = seed * 1103515245U + 12345U;
        const std::size_t n =
            cuts == 7 ? stream.size() - at : (seed >> 8) % (stream.size() - at) + 1;
        for (Bytes& frame : pieces.feed(stream.subspan(at, n)))
            split.push_back(std::move(frame));
        at += n;
    }
    FUZZ_CHECK(split == once);
    FUZZ_CHECK(pieces.hasPartial() == whole.hasPartial());
    FUZZ_CHECK(pieces.discardedBytes() == whole.discardedBytes());

    std::size_t frameBytes = 0;
    const auto check = [&frameBytes, rule](const Bytes& f) {
        const auto length = f.size() >= 2 ? rule(static_cast<std::uint8_t>(f[1])) : std::nullopt;
        FUZZ_CHECK(length && *length == f.size());
        FUZZ_CHECK(static_cast<std::uint8_t>(f.front()) == veld::protocol::kFrameHeader);
        FUZZ_CHECK(static_cast<std::uint8_t>(f.back()) == veld::protocol::kFrameTerminator);
        frameBytes += f.size();
    };
    for (const Bytes& f : once)
        check(f);
    FUZZ_CHECK(frameBytes <= stream.size());

    // Giving up a partial frame leaves nothing held; every byte is accounted for.
    for (const Bytes& f : whole.expirePartial())
        check(f);
    FUZZ_CHECK(!whole.hasPartial());
    FUZZ_CHECK(frameBytes + whole.discardedBytes() == stream.size());
    whole.reset();
    FUZZ_CHECK(whole.feed({}).empty());
    return 0;
}
