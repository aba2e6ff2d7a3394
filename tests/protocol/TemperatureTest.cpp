#include "protocol/Temperature.h"

#include <gtest/gtest.h>

using namespace veld::protocol;

namespace {

class AtOrAboveZero : public ::testing::TestWithParam<std::pair<int, int>> {};
TEST_P(AtOrAboveZero, ConvertsToFahrenheit) {
    EXPECT_EQ(fahrenheitAtOrAboveZero(static_cast<std::uint8_t>(GetParam().first)),
              GetParam().second);
}
INSTANTIATE_TEST_SUITE_P(Table, AtOrAboveZero,
                         ::testing::Values(std::pair{0, 32}, std::pair{1, 34}, std::pair{3, 37},
                                           std::pair{25, 77}, std::pair{37, 99},
                                           std::pair{100, 212}, std::pair{255, 491}));

class BelowZero : public ::testing::TestWithParam<std::pair<int, int>> {};
TEST_P(BelowZero, ConvertsToFahrenheit) {
    EXPECT_EQ(fahrenheitBelowZero(static_cast<std::uint8_t>(GetParam().first)), GetParam().second);
}
INSTANTIATE_TEST_SUITE_P(Table, BelowZero,
                         ::testing::Values(std::pair{0, 32}, std::pair{1, 30}, std::pair{10, 14},
                                           std::pair{17, 1}, std::pair{18, 0}, std::pair{20, -4},
                                           std::pair{40, -40}, std::pair{255, -427}));

TEST(Temperature, EveryByteRoundsToTheNearestDegree) {
    for (int c = 0; c < 256; ++c) {
        EXPECT_LE(std::abs(fahrenheitAtOrAboveZero(static_cast<std::uint8_t>(c)) - (c * 1.8 + 32)),
                  0.5);
        EXPECT_LE(std::abs(fahrenheitBelowZero(static_cast<std::uint8_t>(c)) - (32 - c * 1.8)),
                  0.5);
    }
}

} // namespace
