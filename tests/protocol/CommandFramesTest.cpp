#include "Hex.h"
#include "protocol/CommandTable.h"
#include "protocol/Frame.h"
#include "protocol/ModuleLineSpeed.h"
#include "protocol/StartupFunction.h"

#include <gtest/gtest.h>
#include <set>

using namespace veld::protocol;
using veld::test::fromHex;
using veld::test::toHex;

namespace {

struct CommandRow {
    std::uint8_t code;
    std::vector<std::uint8_t> data;
    SendRule send;
    PollingEffect polling;
    std::string expectedFrame;
};

void PrintTo(const CommandRow& row, std::ostream* os) {
    *os << row.expectedFrame;
}

class CommandFrames : public ::testing::TestWithParam<CommandRow> {};

TEST_P(CommandFrames, BuildsTheFrameAndCarriesItsSendRules) {
    const CommandRow& row = GetParam();
    const auto entry = findCommand(row.code);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->dataBytes, row.data.size());
    EXPECT_EQ(entry->send, row.send);
    EXPECT_EQ(entry->polling, row.polling);
    EXPECT_EQ(toHex(buildFrame(kFrameHeader, row.code, row.data)), row.expectedFrame);
}

using enum SendRule;
using enum PollingEffect;
INSTANTIATE_TEST_SUITE_P(
    EveryOutgoingCode, CommandFrames,
    ::testing::Values(CommandRow{0x01, {0x00, 0x1E, 0x01}, Unguarded, Clears, "FE 01 00 1E 01 FF"},
                      CommandRow{0x03,
                                 {0x20, 0x20, 0x20, 0x20, 0x31, 0x32},
                                 Guarded,
                                 Clears,
                                 "FE 03 20 20 20 20 31 32 FF"},
                      CommandRow{0x04, {}, Unguarded, Leaves, "FE 04 FF"},
                      CommandRow{0x05, {}, Unguarded, Clears, "FE 05 FF"},
                      CommandRow{0x10, {0x00, 0x00, 0x00}, Guarded, Clears, "FE 10 00 00 00 FF"},
                      CommandRow{0x11, {}, Guarded, Clears, "FE 11 FF"},
                      CommandRow{0x13, {0x00}, Unguarded, Clears, "FE 13 00 FF"},
                      CommandRow{0x15, {}, Guarded, Clears, "FE 15 FF"},
                      CommandRow{0x21, {}, Guarded, Clears, "FE 21 FF"},
                      CommandRow{0x80, {0x0B}, Unguarded, Leaves, "FE 80 0B FF"},
                      CommandRow{0x90, {0x00}, Unguarded, Clears, "FE 90 00 FF"},
                      CommandRow{0xF5, {}, Guarded, Leaves, "FE F5 FF"},
                      CommandRow{0xF6, {}, Guarded, Leaves, "FE F6 FF"},
                      CommandRow{0xF7, {}, Unguarded, Clears, "FE F7 FF"},
                      CommandRow{0xF8, {}, Guarded, Leaves, "FE F8 FF"},
                      CommandRow{0xF9, {}, Guarded, Leaves, "FE F9 FF"},
                      CommandRow{0xFA, {}, Guarded, Leaves, "FE FA FF"},
                      CommandRow{0xFB, {}, Guarded, Leaves, "FE FB FF"},
                      CommandRow{0xFC, {}, Guarded, Leaves, "FE FC FF"}));

TEST(CommandTable, HoldsExactlyTheCodesThePanelSends) {
    std::set<std::uint8_t> codes;
    for (const CommandEntry& entry : commandTable()) {
        codes.insert(codeOf(entry.command));
        // Frames are 3, 4, 6 or 9 bytes long.
        EXPECT_TRUE(entry.dataBytes == 0 || entry.dataBytes == 1 || entry.dataBytes == 3 ||
                    entry.dataBytes == 6);
    }
    const std::set<std::uint8_t> expected{0x01, 0x03, 0x04, 0x05, 0x10, 0x11, 0x13,
                                          0x15, 0x21, 0x80, 0x90, 0xF5, 0xF6, 0xF7,
                                          0xF8, 0xF9, 0xFA, 0xFB, 0xFC};
    EXPECT_EQ(codes, expected);
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(findCommand(static_cast<std::uint8_t>(code)).has_value(),
                  expected.count(static_cast<std::uint8_t>(code)) == 1)
            << code;
}

TEST(Frame, KeepsZeroAndFullBytesUnchanged) {
    const Bytes frame = buildFrame(0xFE, 0x10, {0x00, 0xFF, 0x00});
    ASSERT_EQ(frame.size(), 6u);
    EXPECT_EQ(frame, fromHex("FE 10 00 FF 00 FF"));
}

TEST(StartupFunctions, MenuItemsCarryTheModulesOwnNumbers) {
    const std::vector<std::pair<int, std::uint8_t>> expected{{1, 0}, {2, 1}, {3, 4},
                                                             {4, 6}, {5, 5}, {6, 3}};
    for (const auto& [item, byte] : expected) {
        const auto actual = startupFunctionByte(item);
        ASSERT_TRUE(actual.has_value()) << item;
        EXPECT_EQ(*actual, byte) << item;
        EXPECT_EQ(startupFunctionItem(byte), item);
    }
    EXPECT_FALSE(startupFunctionByte(0).has_value());
    EXPECT_FALSE(startupFunctionByte(7).has_value());
    EXPECT_FALSE(startupFunctionItem(2).has_value());
    EXPECT_EQ(toHex(buildFrame(kFrameHeader, codeOf(Command::StartupFunction),
                               {*startupFunctionByte(1)})),
              "FE 90 00 FF");
}

TEST(ModuleLineSpeeds, MenuItemsCarryTheSpeedBytes) {
    const std::vector<std::pair<std::uint32_t, std::uint8_t>> expected{
        {1200, 0xAB}, {2400, 0x55}, {4800, 0x2B}, {9600, 0x15}, {19200, 0x0B}};
    for (const auto& [speed, byte] : expected) {
        EXPECT_EQ(moduleLineSpeedByte(speed), byte) << speed;
        EXPECT_EQ(moduleLineSpeedForByte(byte), speed) << speed;
    }
    EXPECT_FALSE(moduleLineSpeedByte(38400).has_value());
    EXPECT_EQ(moduleLineSpeeds().size(), expected.size());
    EXPECT_FALSE(moduleLineSpeedForByte(0x00).has_value());
}

} // namespace
