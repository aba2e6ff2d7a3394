#include "protocol/TextCommand.h"
#include "Hex.h"
#include "protocol/Frame.h"

#include <gtest/gtest.h>

using namespace veld::protocol;
using veld::test::toHex;

namespace {

struct TextRow {
    std::u16string text;
    std::string expected;
};

void PrintTo(const TextRow& row, std::ostream* os) {
    *os << row.expected;
}

class TextFrames : public ::testing::TestWithParam<TextRow> {};

TEST_P(TextFrames, RightAlignsAndPadsWithSpaces) {
    EXPECT_EQ(toHex(buildTextFrame(kFrameHeader, GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lengths, TextFrames,
                         ::testing::Values(TextRow{u"1", "FE 03 20 20 20 20 20 31 FF"},
                                           TextRow{u"12", "FE 03 20 20 20 20 31 32 FF"},
                                           TextRow{u"123", "FE 03 20 20 20 31 32 33 FF"},
                                           TextRow{u"1234", "FE 03 20 20 31 32 33 34 FF"},
                                           TextRow{u"HELLO", "FE 03 20 48 45 4C 4C 4F FF"},
                                           TextRow{u"AbCdEF", "FE 03 41 62 43 64 45 46 FF"}));

INSTANTIATE_TEST_SUITE_P(CharactersGoOutUnchanged, TextFrames,
                         ::testing::Values(TextRow{u" 1", "FE 03 20 20 20 20 20 31 FF"},
                                           TextRow{u"a", "FE 03 20 20 20 20 20 61 FF"},
                                           TextRow{u"1 ", "FE 03 20 20 20 20 31 20 FF"},
                                           TextRow{u"\u00B0", "FE 03 20 20 20 20 20 B0 FF"},
                                           TextRow{u"\u00FF\u00FE", "FE 03 20 20 20 20 FF FE FF"}));

// Beyond what the text box allows: the last six characters keep their places,
// and a character with no single-byte code becomes '?'.
INSTANTIATE_TEST_SUITE_P(OutsideTheTextBox, TextFrames,
                         ::testing::Values(TextRow{u"1234567", "FE 03 32 33 34 35 36 37 FF"},
                                           TextRow{u"ABCDEFGHIJ", "FE 03 45 46 47 48 49 4A FF"},
                                           TextRow{u"\u20AC5", "FE 03 20 20 20 20 3F 35 FF"},
                                           TextRow{u"", "FE 03 20 20 20 20 20 20 FF"}));

TEST(TextBytes, MapsEachCharacterToOneByte) {
    EXPECT_EQ(toHex(textBytes(u"A\u00E9\u4E2D")), "41 E9 3F");
    EXPECT_EQ(textBytes(u""), "");
}

} // namespace
