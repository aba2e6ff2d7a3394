// What the module sends, read by Timer1 and shown: one script per row of
// reads ("FE 05 00 FF"), ticks with nothing waiting (""), option clicks (C, F,
// E, D for Celsius, Fahrenheit, Enable, Disable) and expected states ("=...").
#include "support/Panel.h"

#include <gtest/gtest.h>

using namespace veld::test;

namespace {

// The readings as the window shows them.
std::string state(Panel& p) {
    const Ui::frmVELD& u = p.ui();
    std::string buttons;
    for (const QLabel* label : {u.lblButton1, u.lblButton2, u.lblButton3})
        buttons += label->isHidden() ? '-' : '+';
    return u"%1%2 count %3 time %4:%5:%6 "_s
               .arg(u.lblTemp->text(), u.lblUnit->text().mid(2), u.lblCounter->text(),
                    u.lblHour->text(), u.lblMin->text(), u.lblSec->text())
               .toStdString() +
           buttons;
}

void play(Panel& p, const std::vector<std::string>& steps) {
    for (const std::string& step : steps) {
        SCOPED_TRACE(step);
        if (step.starts_with('='))
            EXPECT_EQ(state(p), step.substr(1));
        else if (step.size() == 1)
            Panel::press(step == "C"   ? p.ui().optCEL
                         : step == "F" ? p.ui().optFAH
                         : step == "E" ? static_cast<QAbstractButton*>(p.ui().optCountEn)
                                       : p.ui().optCountDis);
        else if (step.empty())
            p.tick();
        else
            p.receive(step.c_str());
    }
}

TEST(Receive, EachMessageChangesItsLabelsAndOnlyTheFirstOfARead) {
    // clang-format off
    const std::vector<std::vector<std::string>> scripts = {
        {"FE 01 05 0A 09 FF", "=C count 0000 time 9:10:05 ---"},
        {"FE 01 2A 3B 17 FF", "=C count 0000 time 23:59:42 ---", "FE 01 63 63 64 FF", "=C count 0000 time 100:99:99 ---"},
        {"FE 01 05 07 09 FF", "FE 01 11 22", "=C count 0000 time 9:07:05 ---"},
        {"FE 03 10 FF", "=C count 0000 time :: +--", "", "=C count 0000 time :: ---"},
        {"FE 03 20 FF", "=C count 0000 time :: -+-", "FE 03 08 FF", "=C count 0000 time :: -++"},
        {"FE 03 30 FF", "FE 03 00 FF", "=C count 0000 time :: ---"},
        {"FE 03 10 FF", "FE 05 00", "=C count 0000 time :: +--", "FF", "=C count 1 time :: +--", "", "=C count 1 time :: ---"},
        {"FE 01 05 07", "09 FF FE 05 00 FF", "=C count 0000 time :: ---", "FE 05 00 FF", "=C count 1 time :: ---"},
        {"FE 05 00 FF FE 03 10 FF", "00 05 00 00", "=C count 2 time :: ---"},
        {"FE 02 01 FF", "FE 07 01 FF", "FE FE 01 FF", "=C count 0000 time :: ---", "FE 05 00 FF", "=C count 1 time :: ---"},
        {"F", "=0F count 0000 time :: ---", "C", "=0C count 0000 time :: ---"},
        {"FE 04 19 FF", "=25C count 0000 time :: ---", "F", "=77F count 0000 time :: ---", "C", "=25C count 0000 time :: ---"},
        {"FE 06 0A FF", "=-10C count 0000 time :: ---", "F", "=14F count 0000 time :: ---", "FE 06 12 FF", "=0F count 0000 time :: ---",
         "FE 06 14 FF", "=-4F count 0000 time :: ---", "C", "=-20C count 0000 time :: ---"},
        {"FE 06 00 FF", "=-0C count 0000 time :: ---", "C", "=0C count 0000 time :: ---"},
        {"FE 04 19 FF", "E", "=C count 0 time :: ---", "F", "=77F count 0 time :: ---"},
        {"E", "FE 05 00 FF", "FE 05 00 FF", "FE 05 00 FF", "=C count 3 time :: ---", "D", "=C count 0000 time :: ---",
         "FE 05 00 FF", "=C count 1 time :: ---", "FE 32 00 FF", "=C count 0 time :: ---", "FE 05 00 FF", "=C count 1 time :: ---"},
    };
    // clang-format on
    for (const auto& script : scripts) {
        SCOPED_TRACE(script.front());
        Panel p;
        p.open();
        play(p, script);
        EXPECT_EQ(p.w().serialControl().inBufferCount(), 0);
    }
}

TEST(Receive, Timer1ShowsThePcTimeAndTimer2AsksForTheTemperatureOnlyWhilePolling) {
    Panel p;
    p.open();
    p.now = QTime(9, 5, 7);
    p.tick();
    EXPECT_EQ(p.ui().lblTIME->text(), u"9:05:07"_s);
    p.now = QTime(16, 37, 25);
    p.tick();
    EXPECT_EQ(p.ui().lblTIME->text(), u"16:37:25"_s);

    p.tick2(); // not polling: nothing asked
    p.ui().cmdTemp->click();
    p.tick2();
    p.ui().optCountDis->click(); // ends polling
    p.tick2();
    EXPECT_EQ(p.heard(6), hex("FE 04 FF FE 15 FF"));

    Panel closed;
    closed.start();
    closed.now = QTime(0, 0, 1);
    closed.tick();
    EXPECT_EQ(closed.ui().lblTIME->text(), u"0:00:01"_s);
}

} // namespace
