#include "protocol/CountdownInput.h"

#include <gtest/gtest.h>

using namespace veld::protocol;

namespace {

struct NumberRow {
    std::u16string text;
    char16_t separator;
    std::optional<double> expected;
};

void PrintTo(const NumberRow& row, std::ostream* os) {
    *os << '"' << std::string(row.text.begin(), row.text.end()) << '"';
}

class NumberTest : public ::testing::TestWithParam<NumberRow> {};

TEST_P(NumberTest, ReadsPlainDecimalNumbers) {
    const auto actual = parseNumber(GetParam().text, GetParam().separator);
    ASSERT_EQ(actual.has_value(), GetParam().expected.has_value());
    if (actual) {
        EXPECT_DOUBLE_EQ(*actual, *GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, NumberTest,
    ::testing::Values(NumberRow{u"0", u'.', 0.0}, NumberRow{u"30", u'.', 30.0},
                      NumberRow{u" 5", u'.', 5.0}, NumberRow{u"5 ", u'.', 5.0},
                      NumberRow{u"\t7\t", u'.', 7.0}, NumberRow{u"5.", u'.', 5.0},
                      NumberRow{u".5", u'.', 0.5}, NumberRow{u"+3", u'.', 3.0},
                      NumberRow{u"-3", u'.', -3.0}, NumberRow{u"2.75", u'.', 2.75},
                      NumberRow{u"2,75", u',', 2.75}, NumberRow{u"007", u'.', 7.0}));

INSTANTIATE_TEST_SUITE_P(
    NotNumbers, NumberTest,
    ::testing::Values(NumberRow{u"", u'.', std::nullopt}, NumberRow{u"   ", u'.', std::nullopt},
                      NumberRow{u"ab", u'.', std::nullopt}, NumberRow{u"1a", u'.', std::nullopt},
                      NumberRow{u".", u'.', std::nullopt}, NumberRow{u"-", u'.', std::nullopt},
                      NumberRow{u"+-1", u'.', std::nullopt}, NumberRow{u"1 2", u'.', std::nullopt},
                      NumberRow{u"2,5", u'.', std::nullopt}, NumberRow{u"2.5", u',', std::nullopt},
                      NumberRow{u"1e3", u'.', std::nullopt}, NumberRow{u"0x1F", u'.', std::nullopt},
                      NumberRow{u"\u0665", u'.', std::nullopt}));

TEST(RoundHalfEven, SendsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(0.5), 0.0);
    EXPECT_EQ(roundHalfEven(1.5), 2.0);
    EXPECT_EQ(roundHalfEven(2.5), 2.0);
    EXPECT_EQ(roundHalfEven(3.5), 4.0);
    EXPECT_EQ(roundHalfEven(2.4), 2.0);
    EXPECT_EQ(roundHalfEven(2.6), 3.0);
    EXPECT_EQ(roundHalfEven(-0.5), 0.0);
    EXPECT_EQ(roundHalfEven(-1.5), -2.0);
    EXPECT_EQ(roundHalfEven(254.5), 254.0);
    EXPECT_EQ(roundHalfEven(255.5), 256.0);
}

struct IntervalRow {
    std::u16string hours, minutes, seconds;
    std::optional<TimePayload> expected;
    IntervalError error = IntervalError::NotNumeric;
};

void PrintTo(const IntervalRow& row, std::ostream* os) {
    *os << std::string(row.hours.begin(), row.hours.end()) << '/'
        << std::string(row.minutes.begin(), row.minutes.end()) << '/'
        << std::string(row.seconds.begin(), row.seconds.end());
}

class IntervalTest : public ::testing::TestWithParam<IntervalRow> {};

TEST_P(IntervalTest, ConvertsOrRefusesTheThreeBoxes) {
    const IntervalRow& row = GetParam();
    const IntervalResult result = convertInterval(row.hours, row.minutes, row.seconds, u'.');
    ASSERT_EQ(result.payload.has_value(), row.expected.has_value());
    if (row.expected) {
        EXPECT_EQ(result.payload->seconds, row.expected->seconds);
        EXPECT_EQ(result.payload->minutes, row.expected->minutes);
        EXPECT_EQ(result.payload->hours, row.expected->hours);
    } else {
        EXPECT_EQ(result.error, row.error);
    }
}

using enum IntervalError;
INSTANTIATE_TEST_SUITE_P(
    Accepted, IntervalTest,
    ::testing::Values(IntervalRow{u"1", u"30", u"0", TimePayload{0, 30, 1}},
                      IntervalRow{u"0", u"75", u"99", TimePayload{99, 75, 0}},
                      IntervalRow{u"0", u"0", u"0", TimePayload{0, 0, 0}},
                      IntervalRow{u"255", u"99", u"99", TimePayload{99, 99, 255}},
                      IntervalRow{u"0", u" 5", u".5", TimePayload{0, 5, 0}},
                      IntervalRow{u"2.5", u"5.", u"3.5", TimePayload{4, 5, 2}},
                      IntervalRow{u"254.5", u"-0.4", u"0.5", TimePayload{0, 0, 254}}));

INSTANTIATE_TEST_SUITE_P(
    Refused, IntervalTest,
    ::testing::Values(IntervalRow{u"0", u"ab", u"10", std::nullopt, NotNumeric},
                      IntervalRow{u"", u"5", u"5", std::nullopt, NotNumeric},
                      IntervalRow{u"1", u"5", u"", std::nullopt, NotNumeric},
                      // Not numeric wins over out of range.
                      IntervalRow{u"-1", u"x", u"5", std::nullopt, NotNumeric},
                      IntervalRow{u"0", u"-1", u"5", std::nullopt, OutOfRange},
                      IntervalRow{u"0", u"5", u"-5", std::nullopt, OutOfRange},
                      IntervalRow{u"-1", u"5", u"5", std::nullopt, OutOfRange},
                      IntervalRow{u"256", u"0", u"0", std::nullopt, OutOfRange},
                      IntervalRow{u"255.5", u"0", u"0", std::nullopt, OutOfRange},
                      IntervalRow{u"99999999999999999999999", u"0", u"0", std::nullopt, OutOfRange},
                      IntervalRow{std::u16string(400, u'9'), u"0", u"0", std::nullopt,
                                  OutOfRange}));

} // namespace
