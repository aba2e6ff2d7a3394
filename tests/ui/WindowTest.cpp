// The window itself, its menus and timers, and its option groups.
#include "app/Placement.h"
#include "common/SideBySide.h"
#include "support/Panel.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QtTest>
#include <gtest/gtest.h>

using namespace veld::test;

namespace {

TEST(ui_Window, OpensCentredAtItsLaidOutSizeAndKeepsIt) {
    Panel p;
    p.open();
    p.w().placeOnScreen();
    ASSERT_TRUE(p.show());
    const QPoint offset = p.w().frameGeometry().center() -
                          QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2);
    EXPECT_FALSE(qobject_cast<QScrollArea*>(p.w().centralWidget())); // it fits: no scrolling
    const QSize size = p.w().size();
    EXPECT_EQ(size, veld::common::kPanelSize); // the module's window places itself by it
    p.w().resize(size + QSize(200, 150));
    EXPECT_EQ(p.w().size(), size);
    EXPECT_TRUE(p.w().windowTitle().startsWith(u"VELD - 6  Digits Serial Display ("_s));
}

TEST(ui_Window, BothTimersRunOnTheirOwn) {
    Panel p;
    p.open();
    p.ui().cmdTemp->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !p.ui().lblTIME->text().isEmpty(); }, 2000));
    QByteArray heard;
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return (heard += p.pty(1).receiveFor(0)).size() >= 3; }, 4000));
    EXPECT_EQ(heard, hex("FE 04 FF"));
}

// The platform's Quit keys (Ctrl+Q on X11 and Wayland desktops; the offscreen
// platform has none) close it as its close button does.
TEST(ui_Window, TheQuitKeyClosesIt) {
    Panel p;
    p.open();
    ASSERT_TRUE(p.show());
    auto* quit = p.w().findChild<QShortcut*>();
    ASSERT_TRUE(quit);
    EXPECT_EQ(quit->keys(), QKeySequence::keyBindings(QKeySequence::Quit));
    QMetaObject::invokeMethod(quit, "activated");
    EXPECT_FALSE(p.w().isVisible());
}

// Beside the module's window, as the try-out opens both: centred where that
// leaves it room at the right (1920 wide), else the pair centred (1280).
TEST(ui_Window, BesideTheModuleItLeavesRoomForItsWindow) {
    const int moduleFrame = veld::common::kModuleWindowSize.width() + 16;
    for (const auto& [free, centred] :
         {std::pair{QRect(0, 0, 1920, 1040), true}, std::pair{QRect(0, 28, 1280, 996), false}}) {
        Panel p;
        p.open();
        veld::app::placeOnScreen(p.w(), free, veld::app::Company::BesideModule);
        ASSERT_TRUE(p.show());
        const QRect frame = p.w().frameGeometry();
        EXPECT_TRUE(free.contains(frame));
        const int right = free.right() - frame.right();
        EXPECT_GE(right, moduleFrame + 8);
        // Centred itself, or the pair of it and the module's window centred.
        EXPECT_NEAR(frame.left() - free.left(), centred ? right : right - 8 - moduleFrame, 2);
    }
}

// The free area of a 1280 by 1024 screen at twice the scale, and of a 1366 by
// 768 one at 1.5, less a desktop panel, in the window's units (it is 723 by 590).
TEST(ui_Window, OnASmallScreenItFitsAndEachButtonScrollsIntoView) {
    for (const QRect free : {QRect(0, 0, 640, 488), QRect(0, 0, 910, 488)}) {
        Panel p;
        p.open();
        veld::app::placeOnScreen(p.w(), free);
        ASSERT_TRUE(p.show());
        EXPECT_TRUE(free.contains(p.w().frameGeometry()));
        // The keyboard alone still works: typed into the text, sent with Tab, Return.
        QTest::keyClicks(nullptr, u"HELP\t\r"_s); // each key to the focus of the moment
        EXPECT_EQ(p.heard(9), hex("FE 03 20 20 48 45 4C 50 FF"));
        auto* area = qobject_cast<QScrollArea*>(p.w().centralWidget());
        ASSERT_TRUE(area);
        const auto buttons = area->widget()->findChildren<QAbstractButton*>();
        EXPECT_EQ(buttons.size(), 26);
        for (QAbstractButton* button : buttons) {
            area->ensureWidgetVisible(button, 0, 0);
            const QRect shown(button->mapTo(area->viewport(), QPoint()), button->size());
            EXPECT_TRUE(area->viewport()->rect().contains(shown))
                << qPrintable(button->objectName());
        }
    }
}

TEST(ui_Window, OptionGroupsRunTheirHandlerHoweverChosen) {
    Panel p;
    p.start();
    const Ui::frmVELD& u = p.ui();
    u.optFAH->click();
    ASSERT_TRUE(p.show());
    u.lblUnit->clear();
    QTest::mouseClick(u.optFAH, Qt::LeftButton, {}, QPoint(6, u.optFAH->height() / 2));
    EXPECT_EQ(u.lblUnit->text(),
              u"\u00B0 F"_s); // chosen again: the handler runs again
    QTest::mouseClick(u.optDP5, Qt::LeftButton, {}, QPoint(6, u.optDP5->height() / 2));
    EXPECT_EQ(p.w().decimalPointChoice(), 5);
    u.optDP2->setChecked(true);
    EXPECT_EQ(p.w().decimalPointChoice(), 2);

    // What a screen reader or voice control sends: the option's "Toggle" action.
    Panel open;
    open.open();
    QAccessibleInterface* dp6 = QAccessible::queryAccessibleInterface(open.ui().optDP6);
    ASSERT_TRUE(dp6 && dp6->actionInterface());
    dp6->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    open.ui().cmdSetDP->click();
    EXPECT_EQ(open.heard(4), hex("FE 13 06 FF"));
}

} // namespace
