#include "protocol/MessageSplitter.h"
#include "Hex.h"

#include <gtest/gtest.h>

using namespace veld::protocol;
using veld::test::bytesOf;
using veld::test::toHex;

namespace {

struct SplitCase {
    std::vector<std::string> reads; // hex, one string per read
    std::vector<std::string> messages;
    std::size_t discarded;
};

class MessageSplitterTest : public testing::TestWithParam<SplitCase> {};

TEST_P(MessageSplitterTest, CutsTheStreamIntoMessages) {
    MessageSplitter splitter;
    std::vector<std::string> messages;
    for (const std::string& read : GetParam().reads)
        for (const Bytes& m : splitter.feed(bytesOf(read)))
            messages.push_back(toHex(m));
    EXPECT_EQ(messages, GetParam().messages);
    EXPECT_EQ(splitter.discardedBytes(), GetParam().discarded);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, MessageSplitterTest,
    testing::Values(
        SplitCase{{"FE 01 05 07 09 FF FE 03 10 FF FE 04 19 FF FE 05 00 FF FE 06 0A FF FE 32 00 FF"},
                  {"FE 01 05 07 09 FF", "FE 03 10 FF", "FE 04 19 FF", "FE 05 00 FF", "FE 06 0A FF",
                   "FE 32 00 FF"},
                  0},
        SplitCase{
            {"FE", "01 05", "07 09", "FF FE 04", "19 FF"}, {"FE 01 05 07 09 FF", "FE 04 19 FF"}, 0},
        SplitCase{{"00 13 FE 05 00 FF 55 AA FE 32 00 FF"}, {"FE 05 00 FF", "FE 32 00 FF"}, 4},
        // Unknown code, a missing terminator, a header inside another message.
        SplitCase{{"FE 02 00 FF FE 04 19 FF"}, {"FE 04 19 FF"}, 4},
        SplitCase{{"FE 04 19 00 FE 03 20 FF"}, {"FE 03 20 FF"}, 4},
        SplitCase{{"FE FE 04 FE FF"}, {"FE 04 FE FF"}, 1},
        SplitCase{{"FE 01 05 07 09 FE 03 08 FF"}, {"FE 03 08 FF"}, 5},
        // A part held back until the rest comes.
        SplitCase{{"FE 01 05 07"}, {}, 0}));

} // namespace
