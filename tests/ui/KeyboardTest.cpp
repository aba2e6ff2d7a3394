// Keyboard focus in the shown window: the text box holds the focus when the
// window opens, and Tab walks the enabled controls in their design order, every
// enabled option button a stop of its own whichever is selected.
#include "support/Panel.h"

#include <QApplication>
#include <QtTest>
#include <gtest/gtest.h>

using namespace veld::test;

namespace {

QStringList walk(QWidget& window, Qt::KeyboardModifiers modifiers, qsizetype stops) {
    QStringList visited;
    for (qsizetype i = 0; i < stops; ++i) {
        QWidget* from = QApplication::focusWidget();
        QTest::keyClick(from ? from : &window, Qt::Key_Tab, modifiers);
        visited << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                : QString());
    }
    return visited;
}

TEST(Keyboard, TabWalksTheEnabledControlsInDesignOrderBothWays) {
    const QStringList order = QStringLiteral("txtDigit cmdSendAscii cmdSetRTC optDP4 optDP3 optDP2 "
                                             "optDP1 optOFFDP cmdFlash cmdOnBuz "
                                             "cmdOffBuz cmdTemp optCEL optFAH txtCDMin txtCDSec "
                                             "cmdCDSet cmdStartStop cmdReset cmdOnOut "
                                             "cmdOFFOut optCountEn optCountDis cmdTimeStamp "
                                             "cmdSetDP optDP5 optDP6 txtCDHour cmdOnOut2 "
                                             "cmdOffOut2")
                                  .split(u' ');
    const QStringList countdown{QStringLiteral("cmdStartStop"), QStringLiteral("cmdReset")};
    const QStringList portDependent =
        QStringLiteral("cmdSendAscii cmdSetDP cmdSetRTC cmdTemp cmdCDSet cmdTimeStamp").split(u' ');
    const struct {
        const char* name;
        void (*setup)(Panel&);
        QStringList skipped;
    } rows[] = {
        {"as opened", [](Panel&) {}, countdown},
        {"countdown enabled",
         [](Panel& p) {
             p.ui().cmdStartStop->setEnabled(true);
             p.ui().cmdReset->setEnabled(true);
         },
         {}},
        {"one option selected in each group",
         [](Panel& p) {
             p.ui().optDP2->click();
             p.ui().optFAH->click();
             p.ui().optCountEn->click();
         },
         countdown},
        {"no port",
         [](Panel& p) {
             Panel::map(1, QStringLiteral("/nonexistent"));
             p.start();
         },
         countdown + portDependent},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Panel p;
        p.open();
        row.setup(p);
        QStringList stops = order;
        for (const QString& name : row.skipped)
            stops.removeAll(name);
        p.w().show();
        p.w().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&p.w()));
        EXPECT_EQ(QApplication::focusWidget()->objectName(), stops.front());
        // Two rounds: having visited an option button must not change the next one.
        const QStringList forward = stops.mid(1) + stops + stops.mid(0, 1);
        EXPECT_EQ(walk(p.w(), Qt::NoModifier, forward.size()), forward);
        QStringList backward = stops + stops;
        std::reverse(backward.begin(), backward.end());
        EXPECT_EQ(walk(p.w(), Qt::ShiftModifier, backward.size()), backward);
    }
}

TEST(Keyboard, ArrowsMoveWithinTheGroupAndSpaceSelects) {
    Panel p;
    p.open();
    p.w().show();
    p.w().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p.w()));
    walk(p.w(), Qt::NoModifier, 3);               // to optDP4
    QTest::keyClick(p.ui().optDP4, Qt::Key_Down); // optDP6 stands below optDP4
    EXPECT_EQ(QApplication::focusWidget(), p.ui().optDP6);
    EXPECT_EQ(p.w().decimalPointChoice(), 0); // moving the focus selects nothing
    EXPECT_EQ(walk(p.w(), Qt::NoModifier, 2), QStringLiteral("txtCDHour cmdOnOut2").split(u' '));
    EXPECT_EQ(walk(p.w(), Qt::ShiftModifier, 3),
              QStringLiteral("txtCDHour optDP6 optDP5").split(u' '));
    QTest::keyClick(p.ui().optDP5, Qt::Key_Space);
    EXPECT_EQ(p.w().decimalPointChoice(), 5);
    EXPECT_FALSE(p.ui().optOFFDP->isChecked());
}

} // namespace
