// The protocol's own rules, where a table of inputs says more than clicks;
// which control sends which frame is the wire table's (tests/app).
#include "protocol/CountdownInput.h"
#include "protocol/EventCount.h"
#include "protocol/ReceiveDecoder.h"
#include "protocol/TextCommand.h"
#include "protocol/WireText.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

using namespace veld::protocol;
using veld::test::fromHex;

namespace {

std::optional<ModuleMessage> decode(const std::string& hex) {
    return decodeMessage(fromHex(hex));
}

TEST(protocol_Countdown, ANumberIsAPlainDecimalInTheUsersSeparator) {
    // clang-format off
    const struct { std::u16string text; char16_t separator; std::optional<double> value; } rows[] = {
        {u"30", '.', 30}, {u" 5", '.', 5}, {u"\t7 ", '.', 7}, {u"5.", '.', 5}, {u".5", '.', 0.5}, {u"+3", '.', 3},
        {u"-3", '.', -3}, {u"2,75", ',', 2.75}, {u"", '.', {}}, {u"  ", '.', {}}, {u"ab", '.', {}}, {u"1a", '.', {}},
        {u".", '.', {}}, {u"-", '.', {}}, {u"+-1", '.', {}}, {u"1 2", '.', {}}, {u"2,5", '.', {}}, {u"2.5", ',', {}},
        {u"1e3", '.', {}}, {u"0x1F", '.', {}}, {u"\u0665", '.', {}}};
    // clang-format on
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.text.begin(), r.text.end()));
        EXPECT_EQ(parseNumber(r.text, r.separator), r.value);
    }
}

TEST(protocol_Countdown, HalvesGoToTheEvenNeighbourOverAByteIsRefused) {
    using enum IntervalError;
    const struct {
        std::u16string hours, minutes, seconds;
        std::string frameData; // seconds, minutes, hours; empty: refused
        IntervalError error;
        // clang-format off
    } rows[] = {{u"1", u"30", u"0", "00 1E 01", {}}, {u"0", u"75", u"99", "63 4B 00", {}}, {u"255", u"99", u"99", "63 63 FF", {}},
                {u"0", u" 5", u".5", "00 05 00", {}}, {u"2.5", u"5.", u"3.5", "04 05 02", {}}, {u"254.5", u"-0.4", u"1.5", "02 00 FE", {}},
                {u"0", u"ab", u"10", "", NotNumeric}, {u"", u"5", u"5", "", NotNumeric}, {u"-1", u"x", u"5", "", NotNumeric},
                {u"0", u"-1", u"5", "", OutOfRange}, {u"0", u"5", u"-5", "", OutOfRange}, {u"256", u"0", u"0", "", OutOfRange},
                {u"255.5", u"0", u"0", "", OutOfRange}, {u"1" + std::u16string(30, '9'), u"0", u"0", "", OutOfRange}};
    // clang-format on
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.hours.begin(), r.hours.end()) + "/" +
                     std::string(r.minutes.begin(), r.minutes.end()));
        const IntervalResult result = convertInterval(r.hours, r.minutes, r.seconds, u'.');
        ASSERT_EQ(result.payload.has_value(), !r.frameData.empty());
        if (result.payload)
            EXPECT_EQ(hexText(Bytes{char(result.payload->seconds), char(result.payload->minutes),
                                    char(result.payload->hours)}),
                      r.frameData);
        else
            EXPECT_EQ(result.error, r.error);
    }
}

TEST(protocol_TextFrame, RightAlignsSixCharactersKeepsTheLastSix) {
    // clang-format off
    const std::pair<std::u16string, std::string> rows[] = {
        {u"1", "20 20 20 20 20 31"}, {u"12", "20 20 20 20 31 32"}, {u"HELLO", "20 48 45 4C 4C 4F"},
        {u"AbCdEF", "41 62 43 64 45 46"}, {u" 1", "20 20 20 20 20 31"}, {u"1 ", "20 20 20 20 31 20"},
        {u"\u00FF\u00FE", "20 20 20 20 FF FE"}, {u"\u20AC5", "20 20 20 20 3F 35"}, {u"1234567", "32 33 34 35 36 37"}};
    // clang-format on
    for (const auto& [text, data] : rows)
        EXPECT_EQ(hexText(buildTextFrame(0xFE, text)), "FE 03 " + data + " FF");
    EXPECT_EQ(hexText(textBytes(u"A\u00E9\u4E2D")), "41 E9 3F");
}

TEST(protocol_Decoder, ReadsPositionOneOnlyAndNeverPastTheEnd) {
    EXPECT_FALSE(decodeMessage({}));
    for (const char* tooShort : {"FE", "FE 04", "FE 03", "FE 06", "FE 01 05 07"})
        EXPECT_FALSE(decode(tooShort)) << tooShort;
    EXPECT_EQ(decode("FE 05")->kind, MessageKind::CounterEvent);
    EXPECT_EQ(decode("00 05 00 00")->kind, MessageKind::CounterEvent);
    EXPECT_EQ(decode("FE 05 00 FF FE 03 10 FF")->kind, MessageKind::CounterEvent);
    EXPECT_EQ(decode("FE 01 05 07 09")->hours, 9);
    EXPECT_EQ(decode("FE 04 2A" + std::string(3000, ' ') + "05")->celsius, 42);
    for (const auto& [hex, button] : {std::pair{"FE 03 10", 1},
                                      {"FE 03 20", 2},
                                      {"FE 03 08", 3},
                                      {"FE 03 00", 0},
                                      {"FE 03 40", 0},
                                      {"FE 03 30", 0}})
        EXPECT_EQ(decode(hex)->button, button) << hex;
}

// What the module's log, and the panel's, say of each command and message.
TEST(protocol_Words, EachFrameReadsAsTheLogsSayIt) {
    // clang-format off
    const std::pair<const char*, const char*> rows[] = {
        {"FE 01 05 04 03 FF", "countdown interval 3:04:05"}, {"FE 03 20 31 22 5C 7F FF FF", "display text \" 1\\x22\\x5C\\x7F\\xFF\""},
        {"FE 04 FF", "temperature request"}, {"FE 10 09 05 0E FF", "set clock 14:05:09"}, {"FE 13 00 FF", "decimal point off"},
        {"FE 13 03 FF", "decimal point 3"}, {"FE 80 2B FF", "module line speed 4800 bit/s"}, {"FE 80 07 FF", "module line speed, unknown byte 07"},
        {"FE 90 06 FF", "start-up function F4 temperature and time"}, {"FE 90 02 FF", "start-up function, unknown byte 02"},
        {"FE FC FF", "toggle flashing"}, {"FE 07 FF", "unknown code 07"}, {"FE FC 00 FF", "unknown code FC"}};
    const std::pair<const char*, const char*> messages[] = {
        {"FE 01 05 07 09 FF", "time stamp 9:07:05"}, {"FE 03 08 FF", "button 3"}, {"FE 03 30 FF", "button byte 30"},
        {"FE 04 19 FF", "temperature 25 C"}, {"FE 06 0C FF", "temperature -12 C"}, {"FE 05 00 FF", "counter event"},
        {"FE 32 00 FF", "counter reset"}, {"FE 07 00 FF", "message code 07"}};
    // clang-format on
    const auto bytes = [](const char* hex) {
        const std::vector<std::uint8_t> b = fromHex(hex);
        return Bytes(b.begin(), b.end());
    };
    for (const auto& [hex, words] : rows)
        EXPECT_EQ(describeCommand(bytes(hex)), words) << hex;
    for (const auto& [hex, words] : messages)
        EXPECT_EQ(describeMessage(bytes(hex)), words) << hex;
}

// The readings of a temperature message, Celsius and Fahrenheit.
TEST(protocol_Decoder, FahrenheitIsRoundedToTheNearestDegree) {
    // clang-format off
    const std::tuple<const char*, int, int> rows[] = {{"FE 04 00 FF", 0, 32}, {"FE 04 03 FF", 3, 37}, {"FE 04 25 FF", 37, 99},
        {"FE 04 FF FF", 255, 491}, {"FE 06 01 FF", -1, 30}, {"FE 06 11 FF", -17, 1}, {"FE 06 12 FF", -18, 0},
        {"FE 06 28 FF", -40, -40}, {"FE 06 FF FF", -255, -427}};
    // clang-format on
    for (const auto& [hex, celsius, fahrenheit] : rows)
        EXPECT_EQ(std::pair(celsiusOf(*decode(hex)), fahrenheitOf(*decode(hex))),
                  std::pair(celsius, fahrenheit))
            << hex;
}

TEST(protocol_Decoder, TheEventCountStopsAtItsTop) {
    EXPECT_EQ(nextEventCount(0), 1);
    EXPECT_EQ(nextEventCount(32766), 32767);
    EXPECT_EQ(nextEventCount(32767), 32767);
}

} // namespace
