#include "module/ModuleState.h"

#include "protocol/CommandTable.h"
#include "protocol/ModuleLineSpeed.h"
#include "protocol/ReceiveDecoder.h"
#include "protocol/StartupFunction.h"
#include "protocol/TextCommand.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace veld::module {

namespace {
using protocol::Command;
using protocol::MessageKind;
using protocol::ModuleFunction;

constexpr int kSecondsPerDay = 24 * 60 * 60;
constexpr int kCounterLimit = 999'999; // what six digits can show
// Clock and countdown show hh.mm.ss: points after digits 2 and 4.
constexpr std::uint8_t kTimePoints = (1u << 1) | (1u << 3);
// Temperature and time take turns on the display, this long each.
constexpr int kAlternateSeconds = 3;

std::string sixDigitTime(int hours, int minutes, int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d", std::min(hours, 99), minutes, seconds);
    return text;
}

int totalSeconds(const TimeOfDay& t) {
    return t.hours * 3600 + t.minutes * 60 + t.seconds;
}
} // namespace

ModuleState::ModuleState(NowFn now)
    : m_now(std::move(now))
    , m_clockSetAt(m_now()) {}

protocol::Bytes ModuleState::apply(const protocol::Bytes& frame) {
    const auto entry =
        frame.size() >= 3 ? protocol::findCommand(protocol::byteAt(frame, 1)) : std::nullopt;
    if (!entry || entry->dataBytes + 3 != frame.size())
        return {};
    const std::span<const std::uint8_t> d = protocol::bytesOf(frame).subspan(2, entry->dataBytes);
    switch (entry->command) {
    case Command::DisplayText:
        m_text = frame.substr(2, entry->dataBytes);
        m_function = ModuleFunction::DisplayMode;
        break;
    case Command::DecimalPoint:
        // 0 clears the points; a number beyond the six digits lights none.
        m_decimalPoint = d[0] <= kDigits ? d[0] : 0;
        m_function = ModuleFunction::DisplayMode;
        break;
    case Command::ToggleFlashing:
        m_flashing = !m_flashing;
        break;
    case Command::BuzzerOn:
        m_buzzer = true;
        break;
    case Command::BuzzerOff:
        m_buzzer = false;
        break;
    case Command::Output1On:
        m_output1 = true;
        break;
    case Command::Output1Off:
        m_output1 = false;
        break;
    case Command::Output2On:
        m_output2 = true;
        break;
    case Command::Output2Off:
        m_output2 = false;
        break;
    case Command::SetClock:
        setClock(d[0], d[1], d[2]);
        m_function = ModuleFunction::RealTimeClock;
        break;
    case Command::TimeStampRequest: {
        const TimeOfDay now = clock();
        return protocol::encodeMessage({.kind = MessageKind::TimeStamp,
                                        .seconds = static_cast<std::uint8_t>(now.seconds),
                                        .minutes = static_cast<std::uint8_t>(now.minutes),
                                        .hours = static_cast<std::uint8_t>(now.hours)});
    }
    case Command::CountdownInterval:
        setInterval(d[0], d[1], d[2]);
        m_function = ModuleFunction::CountdownTimer;
        break;
    case Command::CountdownStartStop:
        startStopCountdown();
        m_function = ModuleFunction::CountdownTimer;
        break;
    case Command::CountdownReset:
        resetCountdown();
        m_function = ModuleFunction::CountdownTimer;
        break;
    case Command::TemperatureRequest:
        return protocol::encodeMessage(
            {.kind = m_temperature >= 0 ? MessageKind::TemperatureAtOrAboveZero
                                        : MessageKind::TemperatureBelowZero,
             .celsius = static_cast<std::uint8_t>(std::abs(m_temperature))});
    case Command::CounterEnable:
        m_counterEnabled = true;
        m_count = 0;
        m_function = ModuleFunction::Counter;
        break;
    case Command::CounterDisable:
        m_counterEnabled = false;
        break;
    case Command::StartupFunction:
        if (const auto function = protocol::functionForByte(d[0]))
            m_startupFunction = *function;
        break;
    case Command::ModuleLineSpeed:
        if (const auto speed = protocol::moduleLineSpeedForByte(d[0]))
            m_lineSpeed = *speed;
        break;
    }
    return {};
}

protocol::Bytes ModuleState::pressButton(int button) {
    if (button < 1 || button > 3)
        return {};
    return protocol::encodeMessage({.kind = MessageKind::ButtonPressed, .button = button});
}

protocol::Bytes ModuleState::counterEvent() {
    if (!m_counterEnabled)
        return {};
    m_count = std::min(m_count + 1, kCounterLimit);
    return protocol::encodeMessage({.kind = MessageKind::CounterEvent});
}

protocol::Bytes ModuleState::resetCounter() {
    m_count = 0;
    return protocol::encodeMessage({.kind = MessageKind::CounterReset});
}

bool ModuleState::setTemperature(int celsius) {
    if (celsius < kMinTemperature || celsius > kMaxTemperature)
        return false;
    m_temperature = celsius;
    return true;
}

void ModuleState::powerCycle() {
    m_text.assign(kDigits, ' ');
    m_decimalPoint = 0;
    m_flashing = m_buzzer = m_output1 = m_output2 = false;
    m_running = false;
    m_remaining = totalSeconds(m_interval);
    m_count = 0;
    m_counterEnabled = m_startupFunction == ModuleFunction::Counter;
    m_function = m_startupFunction;
}

int ModuleState::elapsedSeconds(Clock::time_point since) const {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::seconds>(m_now() - since).count());
}

void ModuleState::setClock(int seconds, int minutes, int hours) {
    m_clockBase = (hours * 3600 + minutes * 60 + seconds) % kSecondsPerDay;
    m_clockSetAt = m_now();
}

TimeOfDay ModuleState::clock() const {
    const int s = (m_clockBase + elapsedSeconds(m_clockSetAt) % kSecondsPerDay) % kSecondsPerDay;
    return {s / 3600, s / 60 % 60, s % 60};
}

void ModuleState::setInterval(std::uint8_t seconds, std::uint8_t minutes, std::uint8_t hours) {
    m_interval = {hours, minutes, seconds};
    m_running = false;
    m_remaining = totalSeconds(m_interval);
}

int ModuleState::countdownRemaining() const {
    if (!m_running)
        return m_remaining;
    return std::max(0, m_remaining - elapsedSeconds(m_countdownStartedAt));
}

bool ModuleState::countdownRunning() const {
    return m_running && countdownRemaining() > 0;
}

void ModuleState::startStopCountdown() {
    if (m_running) {
        m_remaining = countdownRemaining();
        m_running = false;
    } else if (m_remaining > 0) {
        m_running = true;
        m_countdownStartedAt = m_now();
    }
}

void ModuleState::resetCountdown() {
    m_running = false;
    m_remaining = totalSeconds(m_interval);
}

ShownDisplay ModuleState::shown() const {
    return shownFor(m_function);
}

ShownDisplay ModuleState::shownFor(ModuleFunction function) const {
    ShownDisplay shown;
    shown.flashing = m_flashing;
    char text[16];
    switch (function) {
    case ModuleFunction::DisplayMode:
        shown.characters = m_text;
        if (m_decimalPoint > 0)
            shown.points = static_cast<std::uint8_t>(1u << protocol::digitOfPoint(m_decimalPoint));
        break;
    case ModuleFunction::RealTimeClock: {
        const TimeOfDay t = clock();
        shown.characters = sixDigitTime(t.hours, t.minutes, t.seconds);
        shown.points = kTimePoints;
        break;
    }
    case ModuleFunction::CountdownTimer: {
        const int left = countdownRemaining();
        shown.characters = sixDigitTime(left / 3600, left / 60 % 60, left % 60);
        shown.points = kTimePoints;
        break;
    }
    case ModuleFunction::Temperature:
        std::snprintf(text, sizeof text, "%4d C", m_temperature);
        shown.characters = text;
        break;
    case ModuleFunction::Counter:
        std::snprintf(text, sizeof text, "%6d", m_count);
        shown.characters = text;
        break;
    case ModuleFunction::TemperatureAndTime: {
        const TimeOfDay t = clock();
        const bool showTime = (totalSeconds(t) / kAlternateSeconds) % 2 == 0;
        return shownFor(showTime ? ModuleFunction::RealTimeClock : ModuleFunction::Temperature);
    }
    }
    return shown;
}

} // namespace veld::module
