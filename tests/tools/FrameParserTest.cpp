#include "tools/FrameParser.h"

#include "support/Hex.h"

#include <gtest/gtest.h>

namespace veld::tools {
namespace {

// Bytes from the panel, with "~" where the line goes quiet and "|" where it
// breaks; the frames found; whether one is left incomplete; the bytes skipped.
using Stream = std::tuple<const char*, const char*, bool, std::size_t>;

const Stream kStreams[] = {
    {"", "", false, 0},
    {"00 11 FF FE FE F7 FF 7E", "FE F7 FF", false, 5},
    {"FE 02 FF FE 07 FE FA FF", "FE FA FF", false, 5},
    {"FE 13 03 00 FE FB FF FE 10 01 02 FE F7 FF", "FE FB FF FE F7 FF", false, 8},
    {"FE FC 00 FF FE F9 FF", "FE F9 FF", false, 4},
    {"FE 03 41 42 FE 04 FF FE F7 FF", "FE 04 FF FE F7 FF", false, 4},
    {"00 FE 13 FE FF 77 FE 10 FF FF FF FF FE 03 FE FF FE FF 20 31 FF FE FC FF",
     "FE 13 FE FF FE 10 FF FF FF FF FE 03 FE FF FE FF 20 31 FF FE FC FF", false, 2},
    {"FE F7 FF FE 03 31 32", "FE F7 FF", true, 0},
    {"FE FB FF FE ~", "FE FB FF", false, 1},
    {"FE 03 41 FE 04 FF ~ FE FB FF", "FE 04 FF FE FB FF", false, 3},
    {"FE 10 01 FE 03 ~", "", false, 5},
    {"FE 03 31 32 | 33 34 35 36 FF FE F7 FF", "FE F7 FF", false, 9},
};

class FrameParserStreams : public ::testing::TestWithParam<Stream> {};

TEST_P(FrameParserStreams, SameFramesInReadsOfAnySize) {
    const auto& [stream, expected, partial, skipped] = GetParam();
    const std::string text = stream;
    for (std::size_t read = 1; read <= 24; ++read) {
        SCOPED_TRACE(::testing::Message() << text << " in reads of " << read);
        FrameParser parser;
        std::string frames;
        const auto take = [&frames](const std::vector<ReceivedFrame>& found) {
            for (const ReceivedFrame& f : found)
                frames += static_cast<char>(0xFE) + std::string(1, static_cast<char>(f.code)) +
                          std::string(f.data.begin(), f.data.end()) + static_cast<char>(0xFF);
        };
        for (std::size_t from = 0; from <= text.size();) {
            const std::size_t to = std::min(text.find_first_of("~|", from), text.size());
            const std::vector<std::uint8_t> bytes = test::bytesOf(text.substr(from, to - from));
            for (std::size_t at = 0; at < bytes.size(); at += read)
                take(parser.feed(std::span(bytes).subspan(at, std::min(read, bytes.size() - at))));
            if (text[to] == '~')
                take(parser.expirePartial());
            if (text[to] == '|')
                parser.reset();
            from = to + 1;
        }
        EXPECT_EQ(test::toHex(frames), expected);
        EXPECT_EQ(parser.hasPartial(), partial);
        EXPECT_EQ(parser.discardedBytes(), skipped);
    }
}

INSTANTIATE_TEST_SUITE_P(FrameParser, FrameParserStreams, ::testing::ValuesIn(kStreams));

} // namespace
} // namespace veld::tools
