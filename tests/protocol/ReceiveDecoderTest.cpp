#include "protocol/ReceiveDecoder.h"
#include "Hex.h"
#include "protocol/EventCount.h"

#include <gtest/gtest.h>

using namespace veld::protocol;
using veld::test::bytesOf;

namespace {

std::optional<ModuleMessage> decodeHex(const std::string& hex) {
    const auto bytes = bytesOf(hex);
    return decodeMessage(bytes);
}

TEST(ReceiveDecoder, DecodesEveryMessageCode) {
    auto m = decodeHex("FE 01 05 07 09 FF");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->kind, MessageKind::TimeStamp);
    EXPECT_EQ(m->seconds, 5);
    EXPECT_EQ(m->minutes, 7);
    EXPECT_EQ(m->hours, 9);

    m = decodeHex("FE 04 19 FF");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->kind, MessageKind::TemperatureAtOrAboveZero);
    EXPECT_EQ(m->celsius, 25);

    m = decodeHex("FE 06 0A FF");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->kind, MessageKind::TemperatureBelowZero);
    EXPECT_EQ(m->celsius, 10);

    m = decodeHex("FE 05 00 FF");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->kind, MessageKind::CounterEvent);

    m = decodeHex("FE 32 00 FF");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->kind, MessageKind::CounterReset);
}

TEST(ReceiveDecoder, NamesTheButtonOnlyForItsExactValue) {
    const std::vector<std::pair<std::string, int>> rows{{"FE 03 10 FF", 1}, {"FE 03 20 FF", 2},
                                                        {"FE 03 08 FF", 3}, {"FE 03 30 FF", 0},
                                                        {"FE 03 00 FF", 0}, {"FE 03 40 FF", 0}};
    for (const auto& [hex, button] : rows) {
        const auto m = decodeHex(hex);
        ASSERT_TRUE(m) << hex;
        EXPECT_EQ(m->kind, MessageKind::ButtonPressed) << hex;
        EXPECT_EQ(m->button, button) << hex;
    }
}

TEST(ReceiveDecoder, DropsUnknownCodes) {
    for (int code = 0; code < 256; ++code) {
        const bool known =
            code == 1 || code == 3 || code == 4 || code == 5 || code == 6 || code == 0x32;
        const std::vector<std::uint8_t> read{0xFE, static_cast<std::uint8_t>(code), 0, 0, 0, 0xFF};
        EXPECT_EQ(decodeMessage(read).has_value(), known) << code;
    }
}

TEST(ReceiveDecoder, LooksOnlyAtPositionOne) {
    auto m = decodeHex("00 05 00 00");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->kind, MessageKind::CounterEvent);
    // A counter event followed by a button message: the first one only.
    m = decodeHex("FE 05 00 FF FE 03 10 FF");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->kind, MessageKind::CounterEvent);
    // The second half of a split message leads the read: decoded by what lands at 1.
    EXPECT_FALSE(decodeHex("19 FF FE 04 19 FF"));
    m = decodeHex("FF FE 04 19 FF");
    EXPECT_FALSE(m); // position 1 holds FE
}

TEST(ReceiveDecoder, NeverReadsPastTheEnd) {
    EXPECT_FALSE(decodeMessage({}));
    EXPECT_FALSE(decodeHex("FE"));
    EXPECT_FALSE(decodeHex("FE 04"));
    EXPECT_FALSE(decodeHex("FE 03"));
    EXPECT_TRUE(decodeHex("FE 05"));
    // A time stamp needs five bytes: a four-byte read is ignored.
    EXPECT_FALSE(decodeHex("FE 01 05 07"));
    const auto m = decodeHex("FE 01 05 07 09");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->hours, 9);
    // Many bytes: the rest is ignored.
    std::vector<std::uint8_t> many(1024, 0x05);
    many[1] = 0x04;
    many[2] = 0x2A;
    const auto big = decodeMessage(many);
    ASSERT_TRUE(big);
    EXPECT_EQ(big->celsius, 0x2A);
}

TEST(EventCount, StaysAtTheTopOfSixteenBits) {
    EXPECT_EQ(nextEventCount(0), 1);
    EXPECT_EQ(nextEventCount(32766), 32767);
    EXPECT_EQ(nextEventCount(32767), 32767);
}

} // namespace
