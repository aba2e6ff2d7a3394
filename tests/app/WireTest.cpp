// Every control that talks to the module: its frame, and what it does to the
// reading and the countdown buttons.
#include "support/Panel.h"

#include <QLocale>
#include <QtTest>
#include <gtest/gtest.h>

using namespace veld::test;
using U = Ui::frmVELD;

namespace {

enum Countdown { Keeps, Enables, Disables };

#define C(member) [](const U& u) -> QObject* { return u.member; }
#define SET(...) [](Panel& p) { __VA_ARGS__; }

// clang-format off
struct Row { const char* name; QObject* (*control)(const U&); void (*setup)(Panel&); const char* frame; bool clearsReading; Countdown countdown; };
const Row kRows[] = {
    {"flash", C(cmdFlash), nullptr, "FE FC FF", false, Keeps},
    {"buzzer on", C(cmdOnBuz), nullptr, "FE FA FF", false, Keeps},
    {"output 2 off", C(cmdOffOut2), nullptr, "FE F5 FF", false, Keeps},
    {"reset", C(cmdReset), nullptr, "FE 21 FF", false, Keeps},
    {"start/stop", C(cmdStartStop), nullptr, "FE 11 FF", false, Keeps},
    {"time stamp", C(cmdTimeStamp), nullptr, "FE F7 FF", false, Keeps},
    {"counter enable", C(optCountEn), nullptr, "FE 05 FF", true, Keeps},
    {"counter disable", C(optCountDis), nullptr, "FE 15 FF", false, Keeps},
    {"F1", C(mnuF1), nullptr, "FE 90 00 FF", false, Keeps},
    {"F6", C(mnuF6), nullptr, "FE 90 03 FF", false, Keeps},
    {"module 1200", C(mnum12), nullptr, "FE 80 AB FF", false, Keeps},
    {"module 19200", C(mnum192), nullptr, "FE 80 0B FF", false, Keeps},
    {"decimal point 6", C(cmdSetDP), SET(p.ui().optDP6->click()), "FE 13 06 FF", false, Disables},
    {"decimal point 1", C(cmdSetDP), SET(p.ui().optDP1->click()), "FE 13 01 FF", false, Disables},
    {"decimal points off", C(cmdSetDP), SET(p.ui().optDP4->click(); p.ui().optOFFDP->click()), "FE 13 00 FF", false, Disables},
    {"clock", C(cmdSetRTC), SET(p.now = QTime(14, 5, 9)), "FE 10 09 05 0E FF", true, Disables},
    {"clock at midnight", C(cmdSetRTC), SET(p.now = QTime(0, 0, 0)), "FE 10 00 00 00 FF", true, Disables},
    {"countdown", C(cmdCDSet), SET(p.ui().txtCDHour->setText(u" 1"_s); p.ui().txtCDMin->setText(u"30"_s); p.ui().txtCDSec->setText(u"0"_s)), "FE 01 00 1E 01 FF", true, Enables},
    {"show temperature", C(cmdTemp), nullptr, "", false, Disables},
    {"countdown in the user's separator", C(cmdCDSet), SET(QLocale::setDefault(QLocale(QLocale::German)); p.ui().txtCDHour->setText(u"2,5"_s); p.ui().txtCDMin->setText(u"1"_s); p.ui().txtCDSec->setText(u"0"_s)), "FE 01 00 01 02 FF", true, Enables},
};
// clang-format on

TEST(app_Wire, EachControlSendsItsFrameAtEachClick) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        Panel p;
        p.open();
        const U& u = p.ui();
        u.lblTemp->setText(u"25"_s);
        const bool countdownBefore = row.countdown != Enables;
        u.cmdStartStop->setEnabled(countdownBefore);
        u.cmdReset->setEnabled(countdownBefore);
        if (row.setup)
            row.setup(p);
        Panel::press(row.control(u));
        Panel::press(row.control(u)); // a second click sends the same again
        const QByteArray frame = hex(row.frame);
        EXPECT_EQ(p.heard(2 * frame.size()), frame + frame);
        EXPECT_EQ(u.lblTemp->text().isEmpty(), row.clearsReading);
        const bool countdownAfter =
            row.countdown == Keeps ? countdownBefore : row.countdown == Enables;
        EXPECT_EQ(std::tuple(u.cmdStartStop->isEnabled(), u.cmdReset->isEnabled()),
                  std::tuple(countdownAfter, countdownAfter));
        EXPECT_TRUE(p.boxes.isEmpty());
    }
    QLocale::setDefault(QLocale::c());
}

// A guarded send asks first: with the port closed it builds nothing.
TEST(app_Wire, WithThePortClosedOnlyAnUnguardedSendBuildsItsFrame) {
    Panel closed;
    closed.start();
    Panel::press(closed.ui().optCountDis);
    EXPECT_TRUE(closed.w().lastCommand().empty());
    Panel::press(closed.ui().optCountEn);
    EXPECT_EQ(QByteArray::fromStdString(closed.w().lastCommand()), hex("FE 05 FF"));
}

TEST(app_Wire, TextIsSentRightAlignedAndTheBoxIsEmptiedAlways) {
    Panel p;
    p.open();
    p.ui().cmdTemp->click();
    p.ui().lblTemp->setText(u"25"_s);
    QTest::keyClicks(p.ui().txtDigit, u"1234567"_s);
    p.ui().cmdSendAscii->click();
    p.ui().cmdSendAscii->click(); // an empty box sends nothing
    EXPECT_EQ(p.heard(9), hex("FE 03 31 32 33 34 35 36 FF"));
    EXPECT_EQ(std::tuple(p.w().temperaturePollingFlag(), p.ui().lblTemp->text()),
              std::tuple(0, QString()));
    Panel closed;
    closed.start();
    closed.ui().txtDigit->setText(u"12"_s);
    QString textWhileBoxShown;
    closed.whileBoxShown = [&] { textWhileBoxShown = closed.ui().txtDigit->text(); };
    Panel::press(closed.ui().cmdSendAscii);
    ASSERT_EQ(closed.boxes.size(), 2);
    EXPECT_EQ(closed.boxes[1].title + closed.boxes[1].text,
              u"COM PORT ERRORCom Port Not Available"_s);
    EXPECT_EQ(textWhileBoxShown, u"12"_s);
    EXPECT_TRUE(closed.ui().txtDigit->text().isEmpty());
}

TEST(app_Wire, ARefusedCountdownSaysWhyThenEmptiesTheBoxes) {
    // clang-format off
    const struct { const char *hours, *minutes, *seconds, *message; } rows[] = {
        {"1", "ab", "10", "Please Key In Numeric Value"}, {"", "5", "5", "Please Key In Numeric Value"},
        {"256", "0", "0", "Please Key In Values From 0 To 255"}, {"0", "-5", "0", "Please Key In Values From 0 To 255"}};
    // clang-format on
    for (const bool enabledBefore : {false, true})
        for (const auto& r : rows) {
            SCOPED_TRACE(r.hours);
            Panel p;
            p.open();
            p.ui().cmdStartStop->setEnabled(enabledBefore);
            p.ui().lblTemp->setText(u"25"_s);
            p.ui().txtCDHour->setText(QString::fromUtf8(r.hours));
            p.ui().txtCDMin->setText(QString::fromUtf8(r.minutes));
            p.ui().txtCDSec->setText(QString::fromUtf8(r.seconds));
            QString boxesWhileShown;
            p.whileBoxShown = [&] {
                boxesWhileShown = p.ui().txtCDHour->text() + p.ui().txtCDMin->text();
            };
            p.ui().cmdCDSet->click();
            ASSERT_EQ(p.boxes.size(), 1);
            EXPECT_EQ(p.boxes[0].title + p.boxes[0].text,
                      u"Input ERROR"_s + QString::fromUtf8(r.message));
            EXPECT_EQ(boxesWhileShown, QString::fromUtf8(r.hours) + QString::fromUtf8(r.minutes));
            for (const QLineEdit* box : {p.ui().txtCDHour, p.ui().txtCDMin, p.ui().txtCDSec})
                EXPECT_TRUE(box->text().isEmpty());
            EXPECT_TRUE(p.heard().isEmpty());
            EXPECT_EQ(p.ui().cmdStartStop->isEnabled(), enabledBefore);
            EXPECT_TRUE(p.ui().lblTemp->text().isEmpty());
        }
}

} // namespace
