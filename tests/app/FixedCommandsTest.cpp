#include "support/OpenPanel.h"
#include "support/TestMain.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using veld::app::frmVELD;
using veld::test::hexBytes;
using veld::test::OpenPanel;
using veld::test::PanelHarness;
using veld::test::PtyPair;

namespace {
// Clicks the control the way a user would: a button, or a menu item.
void clickControl(PanelHarness& h, const QString& name) {
    h.controls().click(name);
}
} // namespace

// The buttons and menu items whose frames are fixed: bytes on the wire with
// the port open, nothing with it closed, and the temperature polling flag.
class FixedCommandsTest : public QObject {
    Q_OBJECT

    void rows() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<bool>("clearsPolling");
        QTest::newRow("flash") << u"cmdFlash"_s << hexBytes("FEFCFF") << false;
        QTest::newRow("buzzer on") << u"cmdOnBuz"_s << hexBytes("FEFAFF") << false;
        QTest::newRow("buzzer off") << u"cmdOffBuz"_s << hexBytes("FEFBFF") << false;
        QTest::newRow("output 1 on") << u"cmdOnOut"_s << hexBytes("FEF9FF") << false;
        QTest::newRow("output 1 off") << u"cmdOFFOut"_s << hexBytes("FEF8FF") << false;
        QTest::newRow("output 2 on") << u"cmdOnOut2"_s << hexBytes("FEF6FF") << false;
        QTest::newRow("output 2 off") << u"cmdOffOut2"_s << hexBytes("FEF5FF") << false;
        QTest::newRow("reset") << u"cmdReset"_s << hexBytes("FE21FF") << true;
        QTest::newRow("start/stop") << u"cmdStartStop"_s << hexBytes("FE11FF") << true;
    }

    void unguardedRows() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<bool>("clearsPolling");
        QTest::newRow("time stamp") << u"cmdTimeStamp"_s << hexBytes("FEF7FF") << true;
        QTest::newRow("F1") << u"mnuF1"_s << hexBytes("FE9000FF") << true;
        QTest::newRow("F2") << u"mnuF2"_s << hexBytes("FE9001FF") << true;
        QTest::newRow("F3") << u"mnuF3"_s << hexBytes("FE9004FF") << true;
        QTest::newRow("F4") << u"mnuF4"_s << hexBytes("FE9006FF") << true;
        QTest::newRow("F5") << u"mnuF5"_s << hexBytes("FE9005FF") << true;
        QTest::newRow("F6") << u"mnuF6"_s << hexBytes("FE9003FF") << true;
        QTest::newRow("module 1200") << u"mnum12"_s << hexBytes("FE80ABFF") << false;
        QTest::newRow("module 2400") << u"mnum24"_s << hexBytes("FE8055FF") << false;
        QTest::newRow("module 4800") << u"mnum48"_s << hexBytes("FE802BFF") << false;
        QTest::newRow("module 9600") << u"mnum96"_s << hexBytes("FE8015FF") << false;
        QTest::newRow("module 19200") << u"mnum192"_s << hexBytes("FE800BFF") << false;
    }

    // A started window on a pty, the start-up frame taken, polling switched on.

private slots:
    void guardedWithThePortOpen_data() { rows(); }
    void guardedWithThePortOpen() {
        QFETCH(QString, control);
        QFETCH(QByteArray, frame);
        QFETCH(bool, clearsPolling);
        OpenPanel p;
        p.startPolling();
        clickControl(p.h, control);
        QCOMPARE(p.com1.receive(frame.size()), frame);
        QCOMPARE(QByteArray::fromStdString(p.h.window().lastCommand()), frame);
        QCOMPARE(p.h.window().temperaturePollingFlag(), clearsPolling ? 0 : 1);
        QVERIFY(p.h.boxes.isEmpty());
    }

    void guardedWithThePortClosed_data() { rows(); }
    void guardedWithThePortClosed() {
        QFETCH(QString, control);
        QFETCH(bool, clearsPolling);
        PanelHarness h;
        h.start();
        h.boxes.clear();
        veld::test::NamedControls(h.window()).click(QStringLiteral("cmdTemp"));
        QCOMPARE(h.window().temperaturePollingFlag(), 1);
        clickControl(h, control);
        // Nothing built, nothing written, nothing shown.
        QVERIFY(h.window().lastCommand().empty());
        QVERIFY(h.boxes.isEmpty());
        QVERIFY(!h.window().serialControl().portOpen());
        QCOMPARE(h.window().temperaturePollingFlag(), clearsPolling ? 0 : 1);
    }

    void bottomButtonsWorkAsClicked() {
        OpenPanel p;
        p.startPolling();
        for (const char* name : {"cmdFlash", "cmdOnBuz", "cmdOffBuz", "cmdOnOut", "cmdOFFOut",
                                 "cmdOnOut2", "cmdOffOut2"})
            clickControl(p.h, QString::fromLatin1(name));
        QCOMPARE(p.com1.receive(21), hexBytes("FEFCFFFEFAFFFEFBFFFEF9FFFEF8FFFEF6FFFEF5FF"));
        QCOMPARE(p.h.window().temperaturePollingFlag(), 1);
    }

    void unguardedItems_data() { unguardedRows(); }
    void unguardedItems() {
        QFETCH(QString, control);
        QFETCH(QByteArray, frame);
        QFETCH(bool, clearsPolling);
        OpenPanel p;
        p.startPolling();
        clickControl(p.h, control);
        QCOMPARE(p.com1.receive(frame.size()), frame);
        QCOMPARE(QByteArray::fromStdString(p.h.window().lastCommand()), frame);
        QCOMPARE(p.h.window().temperaturePollingFlag(), clearsPolling ? 0 : 1);
    }

    void moduleSpeedLeavesThePcSideAlone() {
        OpenPanel p;
        p.h.storeProperty(u"Settings"_s, u"9600,n,8,1"_s);
        clickControl(p.h, u"mnum192"_s);
        QCOMPARE(p.com1.receive(4), hexBytes("FE800BFF"));
        QCOMPARE(p.com1.baudRate(), 9600);
        QCOMPARE(p.h.storedProperty(u"Settings"_s), u"9600,n,8,1"_s);
        QVERIFY(p.h.controls().menuItem(u"mnu96"_s)->isChecked());
        QVERIFY(!p.h.controls().menuItem(u"mnu192"_s)->isChecked());
        QVERIFY(!p.h.controls().menuItem(u"mnum192"_s)->isChecked());
    }

    void unguardedSendOnAClosedPortKeepsTheFrame() {
        PanelHarness h;
        h.start();
        h.boxes.clear();
        veld::test::NamedControls(h.window()).menuItem(QStringLiteral("mnuF5"))->trigger();
        QCOMPARE(QByteArray::fromStdString(h.window().lastCommand()), hexBytes("FE9005FF"));
        QVERIFY(h.boxes.isEmpty());
    }

    void startStopSendsTheSameFrameEveryTime() {
        OpenPanel p;
        veld::test::NamedControls(p.h.window()).click(QStringLiteral("cmdStartStop"));
        veld::test::NamedControls(p.h.window()).click(QStringLiteral("cmdStartStop"));
        QCOMPARE(p.com1.receive(6), hexBytes("FE11FFFE11FF"));
    }
};

VELD_QTEST_MAIN(FixedCommandsTest)
#include "FixedCommandsTest.moc"
