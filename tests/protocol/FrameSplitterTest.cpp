// The frame splitter on both sides of the line: commands as the module hears
// them, messages as the panel's tools read them, in reads of any size.
#include "protocol/FrameSplitter.h"
#include "protocol/CommandTable.h"
#include "protocol/ReceiveDecoder.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

namespace veld::protocol {
namespace {

using test::fromHex;

constexpr auto C = commandFrameLength;
constexpr auto M = messageLength;
// Bytes, with "~" where the line goes quiet and "|" where it breaks; the
// frames found; whether one is left incomplete; the bytes skipped.
// clang-format off
struct Stream { FrameSplitter::LengthRule rule; const char *bytes, *frames; bool partial; std::size_t skipped; };
const Stream kStreams[] = {
    {C, "", "", false, 0},
    {C, "00 11 FF FE FE F7 FF 7E", "FE F7 FF", false, 5},
    {C, "FE 02 FF FE 07 FE FA FF", "FE FA FF", false, 5},
    {C, "FE 13 03 00 FE FB FF FE 10 01 02 FE F7 FF", "FE FB FF FE F7 FF", false, 8},
    {C, "FE 03 41 42 FE 04 FF FE F7 FF", "FE 04 FF FE F7 FF", false, 4},
    {C, "00 FE 13 FE FF 77 FE 10 FF FF FF FF FE 03 FE FF FE FF 20 31 FF FE FC FF", "FE 13 FE FF FE 10 FF FF FF FF FE 03 FE FF FE FF 20 31 FF FE FC FF", false, 2},
    {C, "FE F7 FF FE 03 31 32", "FE F7 FF", true, 0},
    {C, "FE FB FF FE ~", "FE FB FF", false, 1},
    {C, "FE 03 41 FE 04 FF ~ FE FB FF", "FE 04 FF FE FB FF", false, 3},
    {C, "FE 10 01 FE 03 ~", "", false, 5},
    {C, "FE 03 31 32 | 33 34 35 36 FF FE F7 FF", "FE F7 FF", false, 9},
    {M, "FE 01 05 07 09 FF FE 04 19 FF", "FE 01 05 07 09 FF FE 04 19 FF", false, 0},
    {M, "00 13 FE 05 00 FF 55 AA FE 32 00 FF", "FE 05 00 FF FE 32 00 FF", false, 4},
    {M, "FE 02 00 FF FE 06 0A FF", "FE 06 0A FF", false, 4},
    {M, "FE FE 04 FE FF", "FE 04 FE FF", false, 1},
    {M, "FE 01 05 07 09 FE 03 08 FF", "FE 03 08 FF", false, 5},
    {M, "FE 01 05 07", "", true, 0}};
// clang-format on

TEST(protocol_FrameSplitter, FindsTheSameFramesInReadsOfAnySize) {
    for (const auto& [rule, stream, expected, partial, skipped] : kStreams) {
        const std::string text = stream;
        for (std::size_t read = 1; read <= 24; ++read) {
            SCOPED_TRACE(::testing::Message() << text << " in reads of " << read);
            FrameSplitter splitter(rule);
            std::string frames;
            const auto take = [&frames](const std::vector<Bytes>& found) {
                for (const Bytes& f : found)
                    frames += f;
            };
            for (std::size_t from = 0; from <= text.size();) {
                const std::size_t to = std::min(text.find_first_of("~|", from), text.size());
                const std::vector<std::uint8_t> bytes = fromHex(text.substr(from, to - from));
                for (std::size_t at = 0; at < bytes.size(); at += read)
                    take(splitter.feed(
                        std::span(bytes).subspan(at, std::min(read, bytes.size() - at))));
                if (text[to] == '~')
                    take(splitter.expirePartial());
                if (text[to] == '|')
                    splitter.reset();
                from = to + 1;
            }
            EXPECT_EQ(hexText(frames), expected);
            EXPECT_EQ(splitter.hasPartial(), partial);
            EXPECT_EQ(splitter.discardedBytes(), skipped);
        }
    }
}

} // namespace
} // namespace veld::protocol
