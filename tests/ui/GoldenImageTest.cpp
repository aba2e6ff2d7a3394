// The window's look against a committed picture, a few pixels of tolerance;
// scripts/update-golden.sh takes a new one after a change that was meant.
#include "support/Golden.h"
#include "support/Panel.h"

#include <QApplication>
#include <QtTest>
#include <gtest/gtest.h>

using namespace veld::test;

namespace {

TEST(ui_GoldenImage, TheWindowLooksAsItDid) {
    QApplication::setCursorFlashTime(0); // a steady text cursor
    Panel p;
    p.open();
    p.now = QTime(9, 5, 7);
    for (const char* message : {"FE 04 19 FF", "FE 01 05 07 09 FF", "FE 05 00 FF", "FE 03 20 FF"})
        p.receive(message);
    p.ui().optDP3->click();
    p.ui().txtCDHour->setText(u"1"_s);
    p.ui().txtCDMin->setText(u"30"_s);
    p.ui().txtCDSec->setText(u"0"_s);
    p.ui().txtDigit->setText(u"12.34"_s);
    p.w().placeOnScreen();
    ASSERT_TRUE(p.show());
    expectLooksAsBefore(p.w().grab().toImage(), QStringLiteral(VELD_GOLDEN_DIR "/frmVELD.png"));
}

} // namespace
