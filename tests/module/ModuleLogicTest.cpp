// The module's state on its own, with a clock the test sets.
#include "module/ModuleState.h"
#include "protocol/CommandTable.h"
#include "protocol/FrameSplitter.h"

#include "support/Hex.h"

#include <gtest/gtest.h>
#include <sstream>

namespace veld::module {
namespace {

using test::fromHex;

// Steps: bytes from the panel, "+N" seconds passing, the module's inputs, "?"
// to look. Then what it said and showed: digits with '.' after a lit point, the
// switches on, the line speed unless 9600 bit/s.
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
    {"FE 03 41 62 43 64 45 46 FF FE 13 02 FF power ?", "[      ]"}, {"FE 01 1E 01 00 FF FE 11 FF +30 FE 90 01 FF power +5 ?", "[00.01.30]"},
    {"FE 90 04 FF FE 90 02 FF temp=-12 power ?", "[ -12 C]"}, {"FE 10 00 00 0C FF FE 90 06 FF power ? +3 ?", "[12.00.00] [  25 C]"}};
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

TEST(module_State, SaysAndShowsWhatEachCommandInputAndSecondMakes) {
    for (const auto& [script, expected] : kScripts) {
        SCOPED_TRACE(script);
        ModuleState::Clock::time_point now{};
        ModuleState module([&now] { return now; });
        protocol::FrameSplitter splitter(protocol::commandFrameLength);
        std::string seen;
        const auto note = [&seen](const std::string& text) {
            seen += seen.empty() || text.empty() ? text : " " + text;
        };
        std::istringstream steps(script);
        for (std::string step; steps >> step;) {
            if (step[0] == '+')
                now += std::chrono::seconds(std::stoi(step));
            else if (step.size() == 2)
                for (const protocol::Bytes& frame : splitter.feed(fromHex(step)))
                    note(protocol::hexText(module.apply(frame)));
            else if (step.starts_with("button"))
                note(protocol::hexText(module.pressButton(step.back() - '0')));
            else if (step.starts_with("temp="))
                module.setTemperature(std::stoi(step.substr(5)));
            else if (step == "count" || step == "reset")
                note(protocol::hexText(step == "count" ? module.counterEvent()
                                                       : module.resetCounter()));
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
} // namespace veld::module
