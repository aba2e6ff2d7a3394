#include "support/PanelHarness.h"
#include "support/TestMain.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using veld::test::hexBytes;
using veld::test::PanelHarness;
using veld::test::PtyPair;

namespace {

// The nine port-dependent controls, enabled or not, in one list.
QList<bool> portDependentStates(const PanelHarness& h) {
    QList<bool> states;
    for (const QString& b : {u"cmdSendAscii"_s, u"cmdSetDP"_s, u"cmdSetRTC"_s, u"cmdTemp"_s,
                             u"cmdCDSet"_s, u"cmdTimeStamp"_s})
        states << h.controls().button(b)->isEnabled();
    for (const QString& m : {u"mnuBaud"_s, u"mnuMbaud"_s, u"mnuStart"_s})
        states << h.controls().menu(m)->isEnabled();
    return states;
}
const QList<bool> kAllEnabled(9, true);
const QList<bool> kAllDisabled(9, false);

void pick(PanelHarness& h, const QString& item) {
    h.controls().menuItem(item)->trigger();
}
} // namespace

// The port and line-speed menus against real pty pairs and a real settings file.
class PortMenuTest : public QObject {
    Q_OBJECT

private slots:
    void pickingAWorkingPortAfterAFailedStart() {
        PanelHarness h;
        PtyPair com2;
        h.mapPort(2, com2.slavePath());
        h.start();
        QCOMPARE(h.boxes.size(), 1);
        QCOMPARE(portDependentStates(h), kAllDisabled);
        h.boxes.clear();

        pick(h, u"mnuCOM2"_s);
        QVERIFY(h.boxes.isEmpty());
        QCOMPARE(h.window().serialControl().openDevice(), com2.devicePath());
        QCOMPARE(h.storedProperty(u"CommPort"_s), u"2"_s);
        QCOMPARE(portDependentStates(h), kAllEnabled);
        QCOMPARE(h.checkedItems(PanelHarness::portItems()), QStringList{u"mnuCOM2"_s});
        QVERIFY(com2.receiveFor(50).isEmpty()); // choosing a port tells the module nothing
        QVERIFY(!h.hasStoredProperty(u"Settings"_s));

        // The next start opens port 2 at once.
        h.start();
        QVERIFY(h.boxes.isEmpty());
        QCOMPARE(com2.receive(3), hexBytes("FE15FF"));
        QCOMPARE(h.checkedItems(PanelHarness::portItems()), QStringList{u"mnuCOM2"_s});
    }

    void pickingAMissingPortChangesNothingButTheMark() {
        PanelHarness h;
        PtyPair com1;
        h.mapPort(1, com1.slavePath());
        h.storeProperty(u"CommPort"_s, u"1"_s);
        h.start();
        com1.receive(3);
        QString markWhileBoxShown;
        h.whileBoxShown = [&] {
            markWhileBoxShown = h.checkedItems(PanelHarness::portItems()).join(u',');
        };

        pick(h, u"mnuCOM4"_s);
        QCOMPARE(h.boxes.size(), 1);
        QCOMPARE(h.boxes[0].title, u"COM PORT ERROR"_s);
        QCOMPARE(h.boxes[0].text, u"Port Not Available,Please select Another Port "_s);
        QCOMPARE(markWhileBoxShown, u"mnuCOM4"_s); // the mark moved first
        QCOMPARE(h.checkedItems(PanelHarness::portItems()), QStringList{u"mnuCOM4"_s});
        QCOMPARE(h.storedProperty(u"CommPort"_s), u"1"_s);
        QCOMPARE(portDependentStates(h), kAllEnabled);
        // The port that was open is still open and still working.
        QCOMPARE(h.window().serialControl().openDevice(), com1.devicePath());
        h.controls().button(u"cmdFlash"_s)->click();
        QCOMPARE(com1.receive(3), hexBytes("FEFCFF"));
    }

    void aFailedPickLeavesDisabledControlsDisabled() {
        PanelHarness h;
        h.start();
        h.boxes.clear();
        pick(h, u"mnuCOM3"_s);
        QCOMPARE(h.boxes.size(), 1);
        QCOMPARE(portDependentStates(h), kAllDisabled);
        QVERIFY(!h.window().serialControl().portOpen());
        QVERIFY(!h.hasStoredProperty(u"CommPort"_s));
    }

    void pickingAnotherPortSwitchesToIt() {
        PanelHarness h;
        PtyPair com1;
        PtyPair com5;
        h.mapPort(1, com1.slavePath());
        h.mapPort(5, com5.slavePath());
        h.start();
        com1.receive(3);
        pick(h, u"mnuCOM5"_s);
        QVERIFY(h.boxes.isEmpty());
        QCOMPARE(h.storedProperty(u"CommPort"_s), u"5"_s);
        h.controls().button(u"cmdOnBuz"_s)->click();
        QCOMPARE(com5.receive(3), hexBytes("FEFAFF"));
        QVERIFY(com1.receiveFor(50).isEmpty());
        // The open port's own item: no error, still open.
        pick(h, u"mnuCOM5"_s);
        QVERIFY(h.boxes.isEmpty());
        QCOMPARE(h.checkedItems(PanelHarness::portItems()), QStringList{u"mnuCOM5"_s});
        QCOMPARE(h.window().serialControl().openDevice(), com5.devicePath());
    }

    void speedItemAppliesAtOnceAndIsStored() {
        PanelHarness h;
        PtyPair com3;
        h.mapPort(3, com3.slavePath());
        h.storeProperty(u"CommPort"_s, u"3"_s);
        h.start();
        com3.receive(3);
        QCOMPARE(com3.baudRate(), 9600);

        pick(h, u"mnu192"_s);
        QCOMPARE(com3.baudRate(), 19200);
        QCOMPARE(h.storedProperty(u"Settings"_s), u"19200,n,8,1"_s);
        QCOMPARE(h.checkedItems(PanelHarness::speedItems()), QStringList{u"mnu192"_s});
        QVERIFY(com3.receiveFor(100).isEmpty());
        QVERIFY(h.boxes.isEmpty());

        // Picking the checked item again writes and stores the same string.
        h.storeProperty(u"Settings"_s, u"overwritten"_s);
        pick(h, u"mnu192"_s);
        QCOMPARE(h.storedProperty(u"Settings"_s), u"19200,n,8,1"_s);
        QCOMPARE(h.checkedItems(PanelHarness::speedItems()), QStringList{u"mnu192"_s});
        QCOMPARE(com3.baudRate(), 19200);
    }

    void everySpeedItem_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("baud");
        QTest::newRow("1200") << u"mnu12"_s << u"1200,n,8,1"_s << 1200;
        QTest::newRow("2400") << u"mnu24"_s << u"2400,n,8,1"_s << 2400;
        QTest::newRow("4800") << u"mnu48"_s << u"4800,n,8,1"_s << 4800;
        QTest::newRow("9600") << u"mnu96"_s << u"9600,n,8,1"_s << 9600;
        QTest::newRow("19200") << u"mnu192"_s << u"19200,n,8,1"_s << 19200;
    }
    void everySpeedItem() {
        QFETCH(QString, item);
        QFETCH(QString, settings);
        QFETCH(int, baud);
        PanelHarness h;
        PtyPair com1;
        h.mapPort(1, com1.slavePath());
        h.storeProperty(u"Settings"_s, u"2400,n,8,1"_s);
        h.start();
        if (item != u"mnu12"_s)
            pick(h, u"mnu12"_s);
        pick(h, item);
        QCOMPARE(com1.baudRate(), baud);
        QCOMPARE(h.storedProperty(u"Settings"_s), settings);
        QCOMPARE(h.checkedItems(PanelHarness::speedItems()), QStringList{item});
        // The next start uses it.
        h.start();
        QCOMPARE(h.checkedItems(PanelHarness::speedItems()), QStringList{item});
        QCOMPARE(com1.baudRate(), baud);
    }

    void aDevicePulledOutAndPluggedBackIn() {
        PanelHarness h;
        auto com1 = std::make_unique<PtyPair>();
        h.mapPort(1, com1->slavePath());
        h.start();
        com1->receive(3);
        com1->closeMaster();
        for (int i = 0; i < 5; ++i)
            h.window().Timer1_Timer();
        QCoreApplication::processEvents();
        h.controls().button(u"cmdFlash"_s)->click();
        h.window().Timer2_Timer();
        QVERIFY(h.boxes.isEmpty());
        QVERIFY(!h.window().serialControl().portOpen());

        com1 = std::make_unique<PtyPair>();
        h.mapPort(1, com1->slavePath());
        pick(h, u"mnuCOM1"_s);
        QVERIFY(h.boxes.isEmpty());
        QVERIFY(h.window().serialControl().portOpen());
        h.controls().button(u"cmdFlash"_s)->click();
        QCOMPARE(com1->receive(3), hexBytes("FEFCFF"));
    }
};

VELD_QTEST_MAIN(PortMenuTest)
#include "PortMenuTest.moc"
