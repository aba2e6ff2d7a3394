#include "tools/ModuleState.h"

#include "protocol/ModuleLineSpeed.h"

#include <gtest/gtest.h>

namespace veld::tools {
namespace {

using namespace std::chrono_literals;
using protocol::Bytes;

Bytes bytes(std::initializer_list<std::uint8_t> list) {
    return Bytes(list.begin(), list.end());
}

// A module whose clock the test moves by hand.
class ModuleStateTest : public ::testing::Test {
protected:
    ModuleState::Clock::time_point now{};
    ModuleState module{[this] { return now; }};

    Bytes send(std::uint8_t code, std::vector<std::uint8_t> data = {}) {
        return module.apply({code, std::move(data)});
    }
};

// ---- Clock ----------------------------------------------------------------

TEST_F(ModuleStateTest, TimeStampCarriesTheClockSetEarlierAndRunningOn) {
    send(0x10, {9, 5, 14}); // 14:05:09
    EXPECT_EQ(send(0xF7), bytes({0xFE, 0x01, 9, 5, 14, 0xFF}));
    now += 75s;
    EXPECT_EQ(send(0xF7), bytes({0xFE, 0x01, 24, 6, 14, 0xFF}));
    EXPECT_EQ(module.clock(), (TimeOfDay{14, 6, 24}));
}

TEST_F(ModuleStateTest, ClockPassesMidnight) {
    send(0x10, {59, 59, 23});
    now += 2s;
    EXPECT_EQ(send(0xF7), bytes({0xFE, 0x01, 1, 0, 0, 0xFF}));
}

TEST_F(ModuleStateTest, ClockShowsAsSixDigitsWithPoints) {
    send(0x10, {9, 5, 14});
    const ShownDisplay shown = module.shown();
    EXPECT_EQ(shown.characters, "140509");
    EXPECT_EQ(shown.points, 0b001010); // after hours and minutes
}

// ---- Temperature ----------------------------------------------------------

struct TemperatureCase {
    int celsius;
    Bytes answer;
};

class TemperatureAnswer : public ::testing::TestWithParam<TemperatureCase> {};

TEST_P(TemperatureAnswer, CodeFourAtOrAboveZeroAndCodeSixWithTheMagnitudeBelow) {
    ModuleState module;
    ASSERT_TRUE(module.setTemperature(GetParam().celsius));
    EXPECT_EQ(module.apply({0x04, {}}), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(ModuleStateTemperatures, TemperatureAnswer,
                         ::testing::Values(TemperatureCase{25, bytes({0xFE, 0x04, 25, 0xFF})},
                                           TemperatureCase{0, bytes({0xFE, 0x04, 0, 0xFF})},
                                           TemperatureCase{125, bytes({0xFE, 0x04, 125, 0xFF})},
                                           TemperatureCase{-1, bytes({0xFE, 0x06, 1, 0xFF})},
                                           TemperatureCase{-12, bytes({0xFE, 0x06, 12, 0xFF})},
                                           TemperatureCase{-40, bytes({0xFE, 0x06, 40, 0xFF})}));

TEST_F(ModuleStateTest, TemperatureOutsideTheSensorRangeIsRefused) {
    ASSERT_TRUE(module.setTemperature(-7));
    EXPECT_FALSE(module.setTemperature(126));
    EXPECT_FALSE(module.setTemperature(-41));
    EXPECT_EQ(module.temperature(), -7);
}

// ---- Buttons and counter --------------------------------------------------

TEST_F(ModuleStateTest, ButtonsReportTheirOwnBytes) {
    EXPECT_EQ(module.pressButton(1), bytes({0xFE, 0x03, 0x10, 0xFF}));
    EXPECT_EQ(module.pressButton(2), bytes({0xFE, 0x03, 0x20, 0xFF}));
    EXPECT_EQ(module.pressButton(3), bytes({0xFE, 0x03, 0x08, 0xFF}));
    EXPECT_TRUE(module.pressButton(4).empty());
}

TEST_F(ModuleStateTest, CounterSpeaksOnlyWhileEnabled) {
    EXPECT_TRUE(module.counterEvent().empty());
    EXPECT_EQ(module.count(), 0);

    send(0x05);
    EXPECT_TRUE(module.counterEnabled());
    EXPECT_EQ(module.counterEvent(), bytes({0xFE, 0x05, 0x00, 0xFF}));
    EXPECT_EQ(module.counterEvent(), bytes({0xFE, 0x05, 0x00, 0xFF}));
    EXPECT_EQ(module.count(), 2);
    EXPECT_EQ(module.shown().characters, "     2");

    EXPECT_EQ(module.resetCounter(), bytes({0xFE, 0x32, 0x00, 0xFF}));
    EXPECT_EQ(module.count(), 0);

    send(0x15);
    EXPECT_FALSE(module.counterEnabled());
    EXPECT_TRUE(module.counterEvent().empty());
    EXPECT_EQ(module.count(), 0);
}

TEST_F(ModuleStateTest, EnablingTheCounterStartsFromZero) {
    send(0x05);
    module.counterEvent();
    send(0x05);
    EXPECT_EQ(module.count(), 0);
}

// ---- Display, buzzer, outputs ---------------------------------------------

TEST_F(ModuleStateTest, TextAndDecimalPointShowOnTheDigits) {
    EXPECT_TRUE(send(0x03, {' ', ' ', ' ', ' ', '1', '2'}).empty());
    send(0x13, {3});
    EXPECT_EQ(module.text(), "    12");
    EXPECT_EQ(module.decimalPoint(), 3);
    EXPECT_EQ(module.shown().characters, "    12");
    EXPECT_EQ(module.shown().points, 0b000100);

    send(0x13, {0});
    EXPECT_EQ(module.shown().points, 0);
    send(0x13, {7}); // no seventh digit
    EXPECT_EQ(module.decimalPoint(), 0);
}

TEST_F(ModuleStateTest, TextReplacesTheRunningFunction) {
    send(0x10, {0, 0, 12});
    ASSERT_EQ(module.function(), ModuleFunction::RealTimeClock);
    send(0x03, {'H', 'E', 'L', 'L', 'O', ' '});
    EXPECT_EQ(module.function(), ModuleFunction::DisplayMode);
    EXPECT_EQ(module.shown().characters, "HELLO ");
}

TEST_F(ModuleStateTest, FlashingTogglesAndSwitchesStayUntilTurnedOff) {
    send(0xFC);
    EXPECT_TRUE(module.flashing());
    EXPECT_TRUE(module.shown().flashing);
    send(0xFC);
    EXPECT_FALSE(module.flashing());

    send(0xFA);
    send(0xF9);
    send(0xF6);
    EXPECT_TRUE(module.buzzer());
    EXPECT_TRUE(module.output1());
    EXPECT_TRUE(module.output2());
    send(0xFB);
    EXPECT_FALSE(module.buzzer());
    EXPECT_TRUE(module.output1());
    send(0xF8);
    EXPECT_FALSE(module.output1());
    EXPECT_TRUE(module.output2());
    send(0xF5);
    EXPECT_FALSE(module.output2());
}

// ---- Countdown ------------------------------------------------------------

TEST_F(ModuleStateTest, CountdownRunsStopsAndResets) {
    send(0x01, {30, 1, 0}); // 0:01:30
    EXPECT_EQ(module.countdownRemaining(), 90);
    now += 10s;
    EXPECT_EQ(module.countdownRemaining(), 90) << "not started yet";

    send(0x11);
    now += 30s;
    EXPECT_EQ(module.countdownRemaining(), 60);
    EXPECT_EQ(module.shown().characters, "000100");

    send(0x11);
    now += 30s;
    EXPECT_EQ(module.countdownRemaining(), 60) << "stopped";
    EXPECT_FALSE(module.countdownRunning());

    send(0x21);
    EXPECT_EQ(module.countdownRemaining(), 90);
    send(0x11);
    now += 200s;
    EXPECT_EQ(module.countdownRemaining(), 0);
    EXPECT_FALSE(module.countdownRunning());
}

// ---- Line speed, start-up function and power ------------------------------

TEST_F(ModuleStateTest, LineSpeedFollowsEveryMenuByteAndIgnoresOthers) {
    EXPECT_EQ(module.lineSpeed(), 9600u);
    for (const auto& speed : protocol::moduleLineSpeeds()) {
        send(0x80, {speed.dataByte});
        EXPECT_EQ(module.lineSpeed(), speed.bitsPerSecond) << speed.bitsPerSecond;
    }
    send(0x80, {0x00});
    EXPECT_EQ(module.lineSpeed(), 19200u);
}

TEST_F(ModuleStateTest, PowerCycleStartsInTheStartUpFunctionAndKeepsWhatIsRemembered) {
    send(0x10, {0, 30, 8});
    send(0x90, {5});    // counter
    send(0x80, {0x2B}); // 4800
    send(0x03, {'A', 'b', 'C', 'd', 'E', 'F'});
    send(0x13, {2});
    send(0xFA);
    send(0xF9);
    send(0xFC);
    ASSERT_EQ(module.function(), ModuleFunction::DisplayMode);

    now += 60s;
    module.powerCycle();
    EXPECT_EQ(module.function(), ModuleFunction::Counter);
    EXPECT_TRUE(module.counterEnabled());
    EXPECT_EQ(module.shown().characters, "     0");
    EXPECT_EQ(module.text(), "      ");
    EXPECT_EQ(module.decimalPoint(), 0);
    EXPECT_FALSE(module.buzzer());
    EXPECT_FALSE(module.output1());
    EXPECT_FALSE(module.flashing());
    EXPECT_EQ(module.clock(), (TimeOfDay{8, 31, 0}));
    EXPECT_EQ(module.lineSpeed(), 4800u);
    EXPECT_EQ(module.startupFunction(), ModuleFunction::Counter);
}

TEST_F(ModuleStateTest, StartUpByteOutsideTheMenuIsIgnored) {
    send(0x90, {4});
    send(0x90, {2});
    EXPECT_EQ(module.startupFunction(), ModuleFunction::Temperature);
    module.setTemperature(-12);
    module.powerCycle();
    EXPECT_EQ(module.shown().characters, " -12 C");
}

} // namespace
} // namespace veld::tools
