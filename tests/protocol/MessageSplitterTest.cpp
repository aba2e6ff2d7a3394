#include "protocol/MessageSplitter.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

namespace {

// Reads as they come (hex), the messages cut from them, the bytes skipped.
struct SplitCase {
    std::vector<std::string> reads, messages;
    std::size_t discarded;
};

class MessageSplitterTest : public testing::TestWithParam<SplitCase> {};

TEST_P(MessageSplitterTest, CutsTheStreamIntoMessages) {
    veld::protocol::MessageSplitter splitter;
    std::vector<std::string> messages;
    for (const std::string& read : GetParam().reads) {
        for (const auto& m : splitter.feed(veld::test::fromHex(read)))
            messages.push_back(veld::test::toHex(m));
    }
    EXPECT_EQ(messages, GetParam().messages);
    EXPECT_EQ(splitter.discardedBytes(), GetParam().discarded);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Streams, MessageSplitterTest, testing::Values(
    SplitCase{{"FE", "01 05", "07 09", "FF FE 04", "19 FF"}, {"FE 01 05 07 09 FF", "FE 04 19 FF"}, 0},
    SplitCase{{"00 13 FE 05 00 FF 55 AA FE 32 00 FF"}, {"FE 05 00 FF", "FE 32 00 FF"}, 4},
    SplitCase{{"FE 02 00 FF FE 06 0A FF"}, {"FE 06 0A FF"}, 4},       // unknown code
    SplitCase{{"FE 04 19 00 FE 03 20 FF"}, {"FE 03 20 FF"}, 4},       // no terminator
    SplitCase{{"FE FE 04 FE FF"}, {"FE 04 FE FF"}, 1},                // FE as data
    SplitCase{{"FE 01 05 07 09 FE 03 08 FF"}, {"FE 03 08 FF"}, 5},    // header inside a message
    SplitCase{{"FE 01 05 07"}, {}, 0}));                             // held until the rest comes
// clang-format on

} // namespace
