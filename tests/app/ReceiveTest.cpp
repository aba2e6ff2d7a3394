// What the module sends, read by Timer1 through the real window on a pty:
// every whole message of a read takes effect, in order; the options show the
// stored readings.
#include "support/Panel.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace veld::test;

namespace {

// The readings as the window shows them: temperature and unit, count, time
// stamp, and + or - for each of the three button labels.
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

std::string times(int n, const std::string& words) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += (i ? "; " : "") + words;
    return out;
}

// Each row's steps: reads, each sent at once and ticked until none wait ("FE
// 05 00 FF"); a tick with nothing waiting (""); clicks on C, F, E, D (Celsius,
// Fahrenheit, Enable, Disable). Traffic: the words of each read, "|" between.
TEST(app_Receive, EachReadGivesItsCountLabelsAndTrafficLines) {
    const std::string burst = times(256, "counter event") + '|' + times(44, "counter event");
    // clang-format off
    const struct { std::vector<std::string> steps; std::string state, traffic; } rows[] = {
        // The receive buffer holds 1024 bytes: a burst of 300 is taken in two reads.
        {{"300"}, "C count 300 time :: ---", burst},
        {{"FE 05 00 FF FE 03 10 FF"}, "C count 1 time :: +--", "counter event; button 1"},
        {{"FE 01 05 07", "09 FF FE 03 20 FF"}, "C count 0000 time 9:07:05 -+-", "four bytes of a time stamp held for the next read|time stamp 9:07:05; button 2"},
        {{"FE 05 00 FF 13 37 00 FE 03 08 FF"}, "C count 1 time :: --+", "counter event; button 3; three bytes skipped"},
        {{"FE 05 00 FF FE 01 2A 3B 17 FF"}, "C count 1 time 23:59:42 ---", "counter event; time stamp 23:59:42"},
        {{"FE 01 63 63 64 FF FE 03 30 FF FE 03 00 FF"}, "C count 0000 time 100:99:99 ---", "time stamp 100:99:99; button byte 30; button byte 00"},
        {{"FE 05 00 FF FE 05 00 FF FE 32 00 FF FE 05 00 FF"}, "C count 1 time :: ---", "counter event; counter event; counter reset; counter event"},
        {{"FE 02 01 FF FE 07 01 FF FE 04 19 FF"}, "25C count 0000 time :: ---", "temperature 25 C; eight bytes skipped"},
        {{"FE 03 10 FF", ""}, "C count 0000 time :: ---", "button 1"},
        {{"F"}, "0F count 0000 time :: ---", ""},
        {{"FE 04 19 FF", "F"}, "77F count 0000 time :: ---", "temperature 25 C"},
        {{"FE 04 19 FF", "F", "C"}, "25C count 0000 time :: ---", "temperature 25 C"},
        {{"FE 06 0A FF", "F"}, "14F count 0000 time :: ---", "temperature -10 C"},
        {{"F", "FE 06 12 FF"}, "0F count 0000 time :: ---", "temperature -18 C"},
        {{"F", "FE 06 14 FF", "C"}, "-20C count 0000 time :: ---", "temperature -20 C"},
        {{"FE 06 00 FF"}, "-0C count 0000 time :: ---", "temperature -0 C"},
        {{"FE 06 00 FF", "C"}, "0C count 0000 time :: ---", "temperature -0 C"},
        {{"FE 04 19 FF", "E", "F"}, "77F count 0 time :: ---", "temperature 25 C"},
        {{"E", "FE 05 00 FF", "D"}, "C count 0000 time :: ---", "counter event"},
        {{"D", "FE 05 00 FF"}, "C count 1 time :: ---", "counter event"},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.steps.front());
        QTemporaryDir dir;
        Panel p;
        p.open();
        p.w().setLogFile(dir.filePath(u"log"_s));
        for (const std::string& step : row.steps) {
            if (step.size() == 1) {
                const Ui::frmVELD& u = p.ui();
                Panel::press(step == "C"   ? u.optCEL
                             : step == "F" ? u.optFAH
                             : step == "E" ? static_cast<QAbstractButton*>(u.optCountEn)
                                           : u.optCountDis);
                continue;
            }
            p.pty(1).send(step == "300" ? hex("FE 05 00 FF").repeated(300) : hex(step.c_str()));
            p.tick();
            for (int more = 0; more < 3 && p.w().serialControl().inBufferCount() >= 4; ++more)
                p.tick();
        }
        EXPECT_EQ(state(p), row.state);
        QFile log(dir.filePath(u"log"_s));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        std::string traffic;
        for (const QByteArray& line : log.readAll().split('\n'))
            if (line.mid(13, 3) == "<< ")
                traffic += (traffic.empty() ? "" : "|") + line.mid(line.indexOf("  ") + 2);
        EXPECT_EQ(traffic, row.traffic);
    }
}

TEST(app_Receive, Timer1ShowsThePcTimeAndTimer2AsksOnlyWhilePolling) {
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
