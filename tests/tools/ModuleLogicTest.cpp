// The module's frame parser and state on their own, with a clock the test sets.
#include "tools/ModuleState.h"

#include "support/Hex.h"

#include <gtest/gtest.h>
#include <sstream>

namespace veld::tools {
namespace {

using test::fromHex;
using test::toHex;

// Bytes from the panel, with "~" where the line goes quiet and "|" where it
// breaks; the frames found; whether one is left incomplete; the bytes skipped.
// clang-format off
const std::tuple<const char*, const char*, bool, std::size_t> kStreams[] = {
    {"", "", false, 0},
    {"00 11 FF FE FE F7 FF 7E", "FE F7 FF", false, 5},
    {"FE 02 FF FE 07 FE FA FF", "FE FA FF", false, 5},
    {"FE 13 03 00 FE FB FF FE 10 01 02 FE F7 FF", "FE FB FF FE F7 FF", false, 8},
    {"FE FC 00 FF FE F9 FF", "FE F9 FF", false, 4},
    {"FE 03 41 42 FE 04 FF FE F7 FF", "FE 04 FF FE F7 FF", false, 4},
    {"00 FE 13 FE FF 77 FE 10 FF FF FF FF FE 03 FE FF FE FF 20 31 FF FE FC FF", "FE 13 FE FF FE 10 FF FF FF FF FE 03 FE FF FE FF 20 31 FF FE FC FF", false, 2},
    {"FE F7 FF FE 03 31 32", "FE F7 FF", true, 0},
    {"FE FB FF FE ~", "FE FB FF", false, 1},
    {"FE 03 41 FE 04 FF ~ FE FB FF", "FE 04 FF FE FB FF", false, 3},
    {"FE 10 01 FE 03 ~", "", false, 5},
    {"FE 03 31 32 | 33 34 35 36 FF FE F7 FF", "FE F7 FF", false, 9}};
// clang-format on

TEST(FrameParser, FindsTheSameFramesInReadsOfAnySize) {
    for (const auto& [stream, expected, partial, skipped] : kStreams) {
        const std::string text = stream;
        for (std::size_t read = 1; read <= 24; ++read) {
            SCOPED_TRACE(::testing::Message() << text << " in reads of " << read);
            FrameParser parser;
            std::string frames;
            const auto take = [&frames](const std::vector<ReceivedFrame>& found) {
                for (const ReceivedFrame& f : found)
                    frames += '\xFE' + std::string(1, static_cast<char>(f.code)) +
                              std::string(f.data.begin(), f.data.end()) + '\xFF';
            };
            for (std::size_t from = 0; from <= text.size();) {
                const std::size_t to = std::min(text.find_first_of("~|", from), text.size());
                const std::vector<std::uint8_t> bytes = fromHex(text.substr(from, to - from));
                for (std::size_t at = 0; at < bytes.size(); at += read)
                    take(parser.feed(
                        std::span(bytes).subspan(at, std::min(read, bytes.size() - at))));
                if (text[to] == '~')
                    take(parser.expirePartial());
                if (text[to] == '|')
                    parser.reset();
                from = to + 1;
            }
            EXPECT_EQ(toHex(frames), expected);
            EXPECT_EQ(parser.hasPartial(), partial);
            EXPECT_EQ(parser.discardedBytes(), skipped);
        }
    }
}

// Steps: hex bytes from the panel, "+N" for N seconds passing, the module's
// own inputs, and "?" to look at it. Then what the module said and showed: the
// digits with '.' after each lit point, the switches on, the line speed if it
// is not 9600 bit/s.
// clang-format off
const std::pair<const char*, const char*> kScripts[] = {
    {"FE 10 09 05 0E FF FE F7 FF +75 FE F7 FF ?", "FE 01 09 05 0E FF FE 01 18 06 0E FF [14.06.24]"},
    {"FE 10 3B 3B 17 FF +2 FE F7 FF", "FE 01 01 00 00 FF"},
    {"FE 04 FF temp=0 FE 04 FF temp=125 temp=126 FE 04 FF", "FE 04 19 FF FE 04 00 FF FE 04 7D FF"},
    {"temp=-1 FE 04 FF temp=-40 temp=-41 FE 04 FF", "FE 06 01 FF FE 06 28 FF"},
    {"button1 button2 button3 button4", "FE 03 10 FF FE 03 20 FF FE 03 08 FF"},
    {"count FE 05 FF count count reset count ? FE 15 FF count ? FE 05 FF ?", "FE 05 00 FF FE 05 00 FF FE 32 00 FF FE 05 00 FF [     1] counter [     1] [     0] counter"},
    {"FE 03 20 20 20 20 31 32 FF FE 13 03 FF ? FE 13 06 FF ? FE 13 07 FF ?", "[   . 12] [    12.] [    12]"},
    {"FE 10 00 00 0C FF ? FE 13 02 FF ? FE 13 00 FF ? FE 03 48 45 4C 4C 4F 20 FF FE 13 02 FF ?", "[12.00.00] [  .    ] [      ] [HE.LLO ]"},
    {"FE FC FF FE FA FF FE F9 FF FE F6 FF ? FE FC FF FE FB FF FE F8 FF FE F5 FF ?", "[      ] flashing buzzer output1 output2 [      ]"},
    {"FE 01 1E 01 00 FF +10 ? FE 11 FF +30 ? FE 11 FF +30 ? FE 21 FF ? FE 11 FF +200 ?", "[00.01.30] [00.01.00] running [00.01.00] [00.01.30] [00.00.00]"},
    {"FE 01 1E 01 00 FF FE 11 FF +30 FE 01 05 00 00 FF +2 ? FE 01 00 00 64 FF ?", "[00.00.05] [99.00.00]"},
    {"FE 80 0B FF FE 80 00 FF ?", "[      ] 19200"},
    {"FE 10 00 1E 08 FF FE 90 05 FF FE 80 2B FF FE FC FF FE 05 FF count +60 power count FE F7 FF ?", "FE 05 00 FF FE 05 00 FF FE 01 00 1F 08 FF [     1] counter 4800"},
    {"FE 03 41 62 43 64 45 46 FF FE 13 02 FF power ?", "[      ]"},
    {"FE 01 1E 01 00 FF FE 11 FF +30 FE 90 01 FF power +5 ?", "[00.01.30]"},
    {"FE 90 04 FF FE 90 02 FF temp=-12 power ?", "[ -12 C]"},
    {"FE 10 00 00 0C FF FE 90 06 FF power ? +3 ?", "[12.00.00] [  25 C]"}};
// clang-format on

std::string shows(const ModuleState& m) {
    const ShownDisplay d = m.shown();
    std::string out = "[";
    for (std::size_t i = 0; i < d.characters.size(); ++i)
        out += d.characters[i] + std::string((d.points >> i) & 1u ? "." : "");
    out += std::string("]") + (d.flashing ? " flashing" : "") + (m.buzzer() ? " buzzer" : "") +
           (m.output1() ? " output1" : "") + (m.output2() ? " output2" : "") +
           (m.countdownRunning() ? " running" : "") + (m.counterEnabled() ? " counter" : "");
    return m.lineSpeed() == 9600 ? out : out + " " + std::to_string(m.lineSpeed());
}

TEST(ModuleState, SaysAndShowsWhatEachCommandInputAndSecondMakesOfIt) {
    for (const auto& [script, expected] : kScripts) {
        SCOPED_TRACE(script);
        ModuleState::Clock::time_point now{};
        ModuleState module([&now] { return now; });
        FrameParser parser;
        std::string seen;
        const auto note = [&seen](const std::string& text) {
            seen += seen.empty() || text.empty() ? text : " " + text;
        };
        std::istringstream steps(script);
        for (std::string step; steps >> step;) {
            if (step[0] == '+')
                now += std::chrono::seconds(std::stoi(step));
            else if (step.size() == 2)
                for (const ReceivedFrame& frame : parser.feed(fromHex(step)))
                    note(toHex(module.apply(frame)));
            else if (step.starts_with("button"))
                note(toHex(module.pressButton(step.back() - '0')));
            else if (step.starts_with("temp="))
                module.setTemperature(std::stoi(step.substr(5)));
            else if (step == "count" || step == "reset")
                note(toHex(step == "count" ? module.counterEvent() : module.resetCounter()));
            else if (step == "?")
                note(shows(module));
            else if (step == "power")
                module.powerCycle();
            else
                ADD_FAILURE() << "no such step: " << step;
        }
        EXPECT_EQ(seen, expected);
    }
}

} // namespace
} // namespace veld::tools
