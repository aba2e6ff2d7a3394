#include "tools/FrameParser.h"

#include "protocol/CommandTable.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace veld::tools {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes hex(const std::string& text) {
    Bytes out;
    std::istringstream in(text);
    std::string word;
    while (in >> word)
        out.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
    return out;
}

Bytes wire(const ReceivedFrame& frame) {
    Bytes out{0xFE, frame.code};
    out.insert(out.end(), frame.data.begin(), frame.data.end());
    out.push_back(0xFF);
    return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::vector<ReceivedFrame> feedInChunks(const Bytes& stream, std::size_t chunk) {
    FrameParser parser;
    std::vector<ReceivedFrame> frames;
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
        const std::size_t n = std::min(chunk, stream.size() - at);
        auto more = parser.feed(std::span(stream.data() + at, n));
        frames.insert(frames.end(), more.begin(), more.end());
    }
    return frames;
}

// A frame of the command with data bytes that look like header, terminator
// and zero, which a parser must take as plain data.
ReceivedFrame awkwardFrame(const protocol::CommandEntry& entry) {
    static const Bytes awkward{0xFE, 0xFF, 0x00, 0xFE, 0x20, 0xFF};
    return {protocol::codeOf(entry.command),
            Bytes(awkward.begin(), awkward.begin() + static_cast<std::ptrdiff_t>(entry.dataBytes))};
}

// ---- Every command of the table -------------------------------------------

class EveryCommand : public ::testing::TestWithParam<protocol::CommandEntry> {};

TEST_P(EveryCommand, WholeFrameGivesItsCodeAndDataBytes) {
    const ReceivedFrame frame = awkwardFrame(GetParam());
    FrameParser parser;
    EXPECT_EQ(parser.feed(wire(frame)), std::vector{frame});
    EXPECT_FALSE(parser.hasPartial());
    EXPECT_EQ(parser.discardedBytes(), 0u);
}

TEST_P(EveryCommand, SplitAtEveryPositionGivesTheSameFrame) {
    const ReceivedFrame frame = awkwardFrame(GetParam());
    const Bytes bytes = wire(frame);
    for (std::size_t cut = 1; cut < bytes.size(); ++cut) {
        FrameParser parser;
        EXPECT_TRUE(parser.feed(std::span(bytes.data(), cut)).empty()) << "cut at " << cut;
        EXPECT_TRUE(parser.hasPartial());
        EXPECT_EQ(parser.feed(std::span(bytes.data() + cut, bytes.size() - cut)),
                  std::vector{frame})
            << "cut at " << cut;
    }
}

TEST_P(EveryCommand, GarbageBeforeAndBetweenIsSkipped) {
    const ReceivedFrame frame = awkwardFrame(GetParam());
    const Bytes garbage = hex("00 FF 13 7F FF");
    const Bytes stream = concat({garbage, wire(frame), garbage, wire(frame), garbage});
    FrameParser parser;
    EXPECT_EQ(parser.feed(stream), (std::vector{frame, frame}));
    EXPECT_EQ(parser.discardedBytes(), 3 * garbage.size());
}

TEST_P(EveryCommand, FrameAfterABrokenOneOfTheSameCommandSurvives) {
    // The first copy lost its last data byte or, without data, its terminator
    // comes late: the second copy must still be found.
    const ReceivedFrame frame = awkwardFrame(GetParam());
    Bytes broken = wire(frame);
    broken.erase(broken.end() - 2);
    if (frame.data.empty())
        broken = Bytes{0xFE, frame.code, 0x00};
    FrameParser parser;
    auto frames = parser.feed(concat({broken, wire(frame)}));
    auto late = parser.expirePartial();
    frames.insert(frames.end(), late.begin(), late.end());
    EXPECT_EQ(frames, std::vector{frame});
}

INSTANTIATE_TEST_SUITE_P(ModuleParserCommands, EveryCommand,
                         ::testing::ValuesIn(protocol::commandTable().begin(),
                                             protocol::commandTable().end()),
                         [](const auto& info) {
                             return "code" + std::to_string(protocol::codeOf(info.param.command));
                         });

// ---- Garbage, broken frames and resynchronisation -------------------------

struct StreamCase {
    const char* name;
    const char* input;
    std::vector<ReceivedFrame> expected;
    bool partialLeft = false;
};

class Resync : public ::testing::TestWithParam<StreamCase> {};

TEST_P(Resync, FindsExactlyTheWholeFrames) {
    FrameParser parser;
    EXPECT_EQ(parser.feed(hex(GetParam().input)), GetParam().expected);
    EXPECT_EQ(parser.hasPartial(), GetParam().partialLeft);
}

TEST_P(Resync, ByteByByteFindsTheSameFrames) {
    EXPECT_EQ(feedInChunks(hex(GetParam().input), 1), GetParam().expected);
}

const StreamCase kStreams[] = {
    {"Empty", "", {}},
    {"OnlyGarbage", "00 11 FF 7E", {}},
    {"GarbageBefore", "00 11 FF FE F7 FF", {{0xF7, {}}}},
    {"RepeatedHeader", "FE FE FE F7 FF", {{0xF7, {}}}},
    {"UnknownCode", "FE 02 FF FE FB FF", {{0xFB, {}}}},
    {"UnknownCodeThatIsAHeaderInDisguise", "FE 07 FE FA FF", {{0xFA, {}}}},
    {"MissingTerminator", "FE 13 03 00 FE FB FF", {{0xFB, {}}}},
    {"ExtraDataByte", "FE FC 00 FF FE F9 FF", {{0xF9, {}}}},
    {"TruncatedClockThenTimeStampRequest", "FE 10 01 02 FE F7 FF", {{0xF7, {}}}},
    {"TruncatedTextThenTwoShortFrames", "FE 03 41 42 FE 04 FF FE F7 FF", {{0x04, {}}, {0xF7, {}}}},
    {"HeaderAsDataByte", "FE 13 FE FF", {{0x13, {0xFE}}}},
    {"TerminatorsAsData", "FE 10 FF FF FF FF", {{0x10, {0xFF, 0xFF, 0xFF}}}},
    {"TextWithHeaderAndTerminatorBytes",
     "FE 03 FE FF FE FF 20 31 FF",
     {{0x03, {0xFE, 0xFF, 0xFE, 0xFF, 0x20, 0x31}}}},
    {"GarbageInsideAndBetween",
     "FE 13 00 FF 55 FE 80 FE 0B FF 13 FE 90 05 FF",
     {{0x13, {0x00}}, {0x90, {0x05}}}},
    {"IncompleteTextAtEnd", "FE F7 FF FE 03 31 32", {{0xF7, {}}}, true},
    {"LoneHeaderAtEnd", "FE FB FF FE", {{0xFB, {}}}, true},
};

INSTANTIATE_TEST_SUITE_P(ModuleParserStreams, Resync, ::testing::ValuesIn(kStreams),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ModuleParserQuietLine, ExpiringAnIncompleteFrameRecoversTheFramesInsideIt) {
    // The panel never completes the text frame; the short frame inside the
    // nine-byte window must not wait for bytes that never come.
    FrameParser parser;
    EXPECT_TRUE(parser.feed(hex("FE 03 41 FE 04 FF")).empty());
    ASSERT_TRUE(parser.hasPartial());
    EXPECT_EQ(parser.expirePartial(), (std::vector<ReceivedFrame>{{0x04, {}}}));
    EXPECT_FALSE(parser.hasPartial());
    EXPECT_EQ(parser.feed(hex("FE FB FF")), (std::vector<ReceivedFrame>{{0xFB, {}}}));
}

TEST(ModuleParserQuietLine, ExpiringLeavesNothingBehind) {
    FrameParser parser;
    parser.feed(hex("FE 10 01 FE 03"));
    EXPECT_TRUE(parser.expirePartial().empty());
    EXPECT_FALSE(parser.hasPartial());
    EXPECT_EQ(parser.discardedBytes(), 5u);
}

TEST(ModuleParserQuietLine, ResetForgetsAFrameBegunBefore) {
    FrameParser parser;
    parser.feed(hex("FE 03 31 32"));
    parser.reset();
    // Without the reset these bytes would complete the text frame.
    EXPECT_EQ(parser.feed(hex("33 34 35 36 FF FE F7 FF")),
              (std::vector<ReceivedFrame>{{0xF7, {}}}));
}

// ---- Split across reads ---------------------------------------------------

class ChunkSize : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ChunkSize, AStreamCutIntoReadsOfAnySizeGivesTheSameFrames) {
    const Bytes stream = hex("00 FE 03 20 20 20 20 31 32 FF FE 13 03 FF 77 FE 10 09 05 0E FF "
                             "FE 10 01 02 FE F7 FF FE 01 00 1E 01 FF FE 80 FE FF FE FC FF");
    const std::vector<ReceivedFrame> expected = {
        {0x03, {0x20, 0x20, 0x20, 0x20, 0x31, 0x32}},
        {0x13, {0x03}},
        {0x10, {0x09, 0x05, 0x0E}},
        {0xF7, {}},
        {0x01, {0x00, 0x1E, 0x01}},
        {0x80, {0xFE}},
        {0xFC, {}},
    };
    EXPECT_EQ(feedInChunks(stream, GetParam()), expected);
}

INSTANTIATE_TEST_SUITE_P(ModuleParserReads, ChunkSize, ::testing::Range<std::size_t>(1, 42));

} // namespace
} // namespace veld::tools
