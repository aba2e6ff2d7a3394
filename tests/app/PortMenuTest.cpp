// The port and speed menus: a pick opens and stores, a failed one only moves the
// mark; a speed applies at once and is stored; the module's speed leaves it be.
#include "support/Panel.h"

#include <gtest/gtest.h>

using namespace veld::test;

namespace {

TEST(app_PortMenu, APickOpensStoresEnablesAFailedOneOnlyMovesTheMark) {
    Panel p;
    p.pty(2);
    p.start(); // COM1 is missing: the controls start disabled
    p.boxes.clear();
    p.ui().mnuCOM3->trigger();
    ASSERT_EQ(p.boxes.size(), 1);
    EXPECT_EQ(p.boxes[0].title + u'|' + p.boxes[0].text + u'|' + p.boxes[0].detail,
              u"COM PORT ERROR|Port Not Available,Please select Another Port |"
              u"COM3 (/nonexistent/veld-test/COM3): no such device"_s);
    EXPECT_EQ(std::tuple(p.portControls(), Panel::stored(u"CommPort"_s)),
              std::tuple("---------", QString()));

    p.boxes.clear();
    p.ui().mnuCOM2->trigger();
    EXPECT_EQ(
        std::tuple(p.boxes.size(), p.portControls(), Panel::stored(u"CommPort"_s), p.portMarks()),
        std::tuple(0, "+++++++++", u"2"_s, "-+---"));
    EXPECT_TRUE(p.pty(2).receiveFor(50).isEmpty()); // a pick tells the module nothing

    bool markMovedFirst = false;
    p.whileBoxShown = [&] { markMovedFirst = p.ui().mnuCOM4->isChecked(); };
    p.ui().mnuCOM4->trigger();
    EXPECT_EQ(
        std::tuple(markMovedFirst, p.portMarks(), Panel::stored(u"CommPort"_s), p.portControls()),
        std::tuple(true, "---+-", u"2"_s, "+++++++++"));
    p.ui().cmdFlash->click(); // the port that was open still works
    EXPECT_EQ(p.pty(2).receive(3), hex("FE FC FF"));

    p.boxes.clear();
    p.pty(5);
    p.ui().mnuCOM5->trigger(); // switches
    p.ui().mnuCOM5->trigger(); // the open port's own item
    p.ui().cmdOnBuz->click();
    EXPECT_EQ(p.pty(5).receive(3), hex("FE FA FF"));
    EXPECT_EQ(std::tuple(p.pty(2).receiveFor(50), p.boxes.size(), Panel::stored(u"CommPort"_s)),
              std::tuple(QByteArray(), 0, u"5"_s));
}

TEST(app_PortMenu, ASpeedAppliesAtOnceIsStoredTheModulesLeavesIt) {
    Panel p;
    p.open();
    const std::array<QAction*, 5> items{p.ui().mnu12, p.ui().mnu24, p.ui().mnu48, p.ui().mnu96,
                                        p.ui().mnu192};
    const int speeds[] = {1200, 2400, 4800, 9600, 19200};
    for (std::size_t i = 0; i < items.size(); ++i) {
        Panel::store(u"Settings"_s, u"overwritten"_s);
        items[i]->trigger();
        items[i]->trigger();
        EXPECT_EQ(p.pty(1).baudRate(), speeds[i]);
        EXPECT_EQ(Panel::stored(u"Settings"_s), QString::number(speeds[i]) + u",n,8,1"_s);
        EXPECT_EQ(p.speedMarks(), std::string(5, '-').replace(i, 1, "+"));
    }
    p.ui().mnum12->trigger();
    EXPECT_EQ(p.heard(4), hex("FE 80 AB FF"));
    EXPECT_EQ(std::tuple(p.pty(1).baudRate(), Panel::stored(u"Settings"_s), p.speedMarks(),
                         p.ui().mnum12->isChecked(), p.boxes.size()),
              std::tuple(19200, u"19200,n,8,1"_s, "----+", false, 0));
}

} // namespace
