// Keyboard focus: the text box has it first, and Tab walks the enabled controls
// in design order, every enabled option button a stop of its own.
#include "support/Panel.h"

#include <QApplication>
#include <QtTest>
#include <gtest/gtest.h>

using namespace veld::test;

namespace {

QStringList walk(QWidget& window, Qt::KeyboardModifiers modifiers, qsizetype stops) {
    QStringList visited;
    for (qsizetype i = 0; i < stops; ++i) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window,
                        Qt::Key_Tab, modifiers);
        visited << QApplication::focusWidget()->objectName();
    }
    return visited;
}

TEST(ui_Keyboard, TabWalksTheEnabledControlsInDesignOrderBothWays) {
    // clang-format off
    const QString order = u"txtDigit cmdSendAscii cmdSetRTC optDP4 optDP3 optDP2 optDP1 optOFFDP cmdFlash cmdOnBuz cmdOffBuz cmdTemp optCEL optFAH txtCDMin txtCDSec cmdCDSet cmdStartStop cmdReset cmdOnOut cmdOFFOut optCountEn optCountDis cmdTimeStamp cmdSetDP optDP5 optDP6 txtCDHour cmdOnOut2 cmdOffOut2"_s;
    const struct { void (*setup)(Panel&); const char* skipped; } rows[] = {
        {[](Panel& p) { p.ui().optDP2->click(); p.ui().optFAH->click(); p.ui().optCountEn->click(); p.ui().cmdStartStop->setEnabled(true); p.ui().cmdReset->setEnabled(true); }, ""},
        {[](Panel& p) { Panel::map(1, u"/nonexistent"_s); p.start(); }, "cmdStartStop cmdReset cmdSendAscii cmdSetDP cmdSetRTC cmdTemp cmdCDSet cmdTimeStamp"},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.skipped);
        Panel p;
        p.open();
        row.setup(p);
        QStringList stops = order.split(u' ');
        for (const QString& name : QString::fromUtf8(row.skipped).split(u' '))
            stops.removeAll(name);
        ASSERT_TRUE(p.show());
        EXPECT_EQ(QApplication::focusWidget()->objectName(), stops.front());
        // Two rounds: having visited an option button must not change the next one.
        const QStringList forward = stops.mid(1) + stops + stops.mid(0, 1);
        EXPECT_EQ(walk(p.w(), Qt::NoModifier, forward.size()), forward);
        QStringList backward = stops + stops;
        std::reverse(backward.begin(), backward.end());
        EXPECT_EQ(walk(p.w(), Qt::ShiftModifier, backward.size()), backward);
    }
}

TEST(ui_Keyboard, SpaceSelectsAndEnterClicks) {
    Panel p;
    p.open();
    ASSERT_TRUE(p.show());
    p.ui().optDP5->setFocus();
    QTest::keyClick(p.ui().optDP5, Qt::Key_Space);
    EXPECT_EQ(p.w().decimalPointChoice(), 5);
    // A focused push button takes Return and the keypad's Enter as Space.
    p.ui().cmdFlash->setFocus();
    QTest::keyClick(p.ui().cmdFlash, Qt::Key_Return);
    QTest::keyClick(p.ui().cmdFlash, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(p.ui().cmdFlash, Qt::Key_Space);
    EXPECT_EQ(p.heard(9), hex("FE FC FF FE FC FF FE FC FF"));
}

} // namespace
