#pragma once

#include "protocol/Frame.h"
#include "protocol/StartupFunction.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace veld::module {

struct TimeOfDay {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;

    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

// What the six digits show at one moment. Bit n-1 of `points` lights the
// decimal point of digit n; digit 1 is the leftmost.
struct ShownDisplay {
    std::string characters;
    std::uint8_t points = 0;
    bool flashing = false;
};

// Everything the virtual module remembers and how it reacts: frames from the
// panel and its own inputs (buttons, thermometer, counter input, power).
// Answers and messages come back as the bytes to send; whether the line lets
// them through is the caller's business. Plain C++; time comes from a clock
// that tests can replace.
class ModuleState {
public:
    using Clock = std::chrono::steady_clock;
    using NowFn = std::function<Clock::time_point()>;

    static constexpr std::uint32_t kInitialLineSpeed = 9600;
    static constexpr int kMinTemperature = -40;
    static constexpr int kMaxTemperature = 125;
    static constexpr int kInitialTemperature = 25;
    static constexpr std::size_t kDigits = 6;

    explicit ModuleState(NowFn now = &Clock::now);

    // Carries out one whole command frame; returns the module's answer,
    // empty when none.
    protocol::Bytes apply(const protocol::Bytes& frame);

    // Button 1, 2 or 3: the button message. Any other number: nothing.
    protocol::Bytes pressButton(int button);
    // One pulse on the counter input: the counter message while the counter
    // is enabled, nothing while it is disabled.
    protocol::Bytes counterEvent();
    // The counter's reset input: count back to 0 and the reset message.
    protocol::Bytes resetCounter();
    // False, and no change, outside -40 to 125 degrees.
    bool setTemperature(int celsius);
    // Off and on again: the display, buzzer, outputs, countdown and counter
    // start afresh in the start-up function. The clock, the interval, the
    // start-up function and the line speed are kept.
    void powerCycle();

    const std::string& text() const { return m_text; }
    std::uint8_t decimalPoint() const { return m_decimalPoint; }
    bool flashing() const { return m_flashing; }
    bool buzzer() const { return m_buzzer; }
    bool output1() const { return m_output1; }
    bool output2() const { return m_output2; }
    TimeOfDay clock() const;
    TimeOfDay countdownInterval() const { return m_interval; }
    int countdownRemaining() const; // seconds
    bool countdownRunning() const;
    bool counterEnabled() const { return m_counterEnabled; }
    int count() const { return m_count; }
    int temperature() const { return m_temperature; }
    protocol::ModuleFunction function() const { return m_function; }
    protocol::ModuleFunction startupFunction() const { return m_startupFunction; }
    std::uint32_t lineSpeed() const { return m_lineSpeed; }

    ShownDisplay shown() const;

private:
    void setClock(int seconds, int minutes, int hours);
    void setInterval(std::uint8_t seconds, std::uint8_t minutes, std::uint8_t hours);
    void startStopCountdown();
    void resetCountdown();
    int elapsedSeconds(Clock::time_point since) const;
    ShownDisplay shownFor(protocol::ModuleFunction function) const;

    NowFn m_now;
    std::string m_text = std::string(kDigits, ' ');
    std::uint8_t m_decimalPoint = 0;
    bool m_flashing = false;
    bool m_buzzer = false;
    bool m_output1 = false;
    bool m_output2 = false;

    int m_clockBase = 0; // seconds of the day at m_clockSetAt
    Clock::time_point m_clockSetAt;

    TimeOfDay m_interval;
    int m_remaining = 0; // while stopped; at m_countdownStartedAt while running
    bool m_running = false;
    Clock::time_point m_countdownStartedAt;

    bool m_counterEnabled = false;
    int m_count = 0;
    int m_temperature = kInitialTemperature;
    protocol::ModuleFunction m_startupFunction = protocol::ModuleFunction::DisplayMode;
    protocol::ModuleFunction m_function = protocol::ModuleFunction::DisplayMode;
    std::uint32_t m_lineSpeed = kInitialLineSpeed;
};

} // namespace veld::module
