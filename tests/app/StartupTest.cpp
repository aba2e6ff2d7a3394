#include "support/PanelHarness.h"
#include "support/TestMain.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using veld::test::hexBytes;
using veld::test::PanelHarness;
using veld::test::PtyPair;

namespace {
const QStringList kPortDependentButtons{u"cmdSendAscii"_s, u"cmdSetDP"_s, u"cmdSetRTC"_s,
                                        u"cmdTemp"_s,      u"cmdCDSet"_s, u"cmdTimeStamp"_s};
const QStringList kPortDependentMenus{u"mnuBaud"_s, u"mnuMbaud"_s, u"mnuStart"_s};

void verifyPortDependentEnabled(const PanelHarness& h, bool enabled) {
    for (const QString& b : kPortDependentButtons)
        QVERIFY2(h.controls().button(b)->isEnabled() == enabled, qPrintable(b));
    for (const QString& m : kPortDependentMenus)
        QVERIFY2(h.controls().menu(m)->isEnabled() == enabled, qPrintable(m));
}

// State both branches of start-up share.
void verifyCommonEndState(PanelHarness& h) {
    const auto& c = h.controls();
    QVERIFY(c.option(u"optCEL"_s)->isChecked());
    QVERIFY(!c.option(u"optFAH"_s)->isChecked());
    QCOMPARE(c.label(u"lblUnit"_s)->text(), QString(QChar(0x00B0)) + u" C"_s);
    QCOMPARE(c.label(u"lblTemp"_s)->text(), QString());
    QVERIFY(c.option(u"optOFFDP"_s)->isChecked());
    QCOMPARE(h.window().decimalPointChoice(), 0);
    QCOMPARE(h.window().temperaturePollingFlag(), 0);
    QCOMPARE(h.window().frameHeader(), 254);
    QVERIFY(!c.button(u"cmdStartStop"_s)->isEnabled());
    QVERIFY(!c.button(u"cmdReset"_s)->isEnabled());
    QCOMPARE(c.label(u"lblCounter"_s)->text(), u"0000"_s);
    for (const QString& b : {u"cmdFlash"_s, u"cmdOnBuz"_s, u"cmdOffBuz"_s, u"cmdOnOut"_s,
                             u"cmdOFFOut"_s, u"cmdOnOut2"_s, u"cmdOffOut2"_s})
        QVERIFY(c.button(b)->isEnabled());
    QVERIFY(c.menu(u"mnuComm"_s)->isEnabled());
}
} // namespace

// Start-up against real pty pairs mapped as COM ports and a real settings file.
class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void nothingStoredOpensCom1At9600() {
        PanelHarness h;
        PtyPair com1;
        h.mapPort(1, com1.slavePath());
        h.start();
        QVERIFY(h.boxes.isEmpty());
        QVERIFY(h.window().serialControl().portOpen());
        QCOMPARE(h.window().serialControl().openDevice(), com1.devicePath());
        QCOMPARE(com1.baudRate(), 9600);
        // Exactly the counter-disable frame, and nothing else.
        QCOMPARE(com1.receive(3), hexBytes("FE15FF"));
        QCOMPARE(h.checkedItems(PanelHarness::portItems()), QStringList{u"mnuCOM1"_s});
        QCOMPARE(h.checkedItems(PanelHarness::speedItems()), QStringList{u"mnu96"_s});
        verifyPortDependentEnabled(h, true);
        QVERIFY(h.controls().option(u"optCountDis"_s)->isChecked());
        QVERIFY(!h.controls().option(u"optCountEn"_s)->isChecked());
        QCOMPARE(QByteArray::fromStdString(h.window().lastCommand()), hexBytes("FE15FF"));
        verifyCommonEndState(h);
        // Start-up stores nothing.
        QVERIFY(!h.hasStoredProperty(u"CommPort"_s));
        QVERIFY(!h.hasStoredProperty(u"Settings"_s));
    }

    void storedPortAndSpeedAreUsed() {
        PanelHarness h;
        PtyPair com1;
        PtyPair com3;
        h.mapPort(1, com1.slavePath());
        h.mapPort(3, com3.slavePath());
        h.storeProperty(u"CommPort"_s, u"3"_s);
        h.storeProperty(u"Settings"_s, u"19200,n,8,1"_s);
        h.start();
        QVERIFY(h.boxes.isEmpty());
        QCOMPARE(h.window().serialControl().openDevice(), com3.devicePath());
        QCOMPARE(com3.baudRate(), 19200);
        QCOMPARE(com3.receive(3), hexBytes("FE15FF"));
        QVERIFY(com1.receiveFor(50).isEmpty());
        QCOMPARE(h.checkedItems(PanelHarness::portItems()), QStringList{u"mnuCOM3"_s});
        QCOMPARE(h.checkedItems(PanelHarness::speedItems()), QStringList{u"mnu192"_s});
        verifyCommonEndState(h);
    }

    void missingPortShowsTheBoxAndDisablesThePortControls() {
        PanelHarness h;
        PtyPair com1;
        h.mapPort(1, com1.slavePath());
        h.storeProperty(u"CommPort"_s, u"4"_s);
        const QByteArray fileBefore = [] {
            QFile f(PanelHarness::settingsFilePath());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        bool enabledWhileBoxShown = false;
        h.whileBoxShown = [&] {
            enabledWhileBoxShown = h.controls().button(u"cmdSendAscii"_s)->isEnabled();
        };
        h.start();
        QCOMPARE(h.boxes.size(), 1);
        QCOMPARE(h.boxes[0].title, u"COM PORT ERROR"_s);
        QCOMPARE(h.boxes[0].text, u"COM1 Not Available, Please Select Another Port"_s);
        QVERIFY(enabledWhileBoxShown); // disabled only once the box is closed
        QVERIFY(!h.window().serialControl().portOpen());
        verifyPortDependentEnabled(h, false);
        QCOMPARE(h.checkedItems(PanelHarness::portItems()), QStringList{u"mnuCOM4"_s});
        QCOMPARE(h.checkedItems(PanelHarness::speedItems()), QStringList{u"mnu96"_s});
        QVERIFY(!h.controls().option(u"optCountEn"_s)->isChecked());
        QVERIFY(!h.controls().option(u"optCountDis"_s)->isChecked());
        QVERIFY(h.window().lastCommand().empty());
        verifyCommonEndState(h);
        QVERIFY(com1.receiveFor(100).isEmpty());
        QFile f(PanelHarness::settingsFilePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), fileBefore);
    }

    void settingsOutsideTheMenuOpenWithNoSpeedChecked() {
        PanelHarness h;
        PtyPair com1;
        h.mapPort(1, com1.slavePath());
        h.storeProperty(u"Settings"_s, u"38400,e,7,1"_s);
        h.start();
        QVERIFY(h.boxes.isEmpty());
        QCOMPARE(com1.baudRate(), 38400);
        QVERIFY(h.checkedItems(PanelHarness::speedItems()).isEmpty());
        QCOMPARE(com1.receive(3), hexBytes("FE15FF"));
        verifyPortDependentEnabled(h, true);
    }

    void speedTextIsComparedExactly() {
        PanelHarness h;
        PtyPair com1;
        h.mapPort(1, com1.slavePath());
        h.storeProperty(u"Settings"_s, u"9600,N,8,1"_s);
        h.start();
        QVERIFY(h.boxes.isEmpty());
        QVERIFY(h.checkedItems(PanelHarness::speedItems()).isEmpty());
    }

    void emptyStoredPortOpensPortOne() {
        PanelHarness h;
        PtyPair com1;
        h.mapPort(1, com1.slavePath());
        h.storeProperty(u"CommPort"_s, QString());
        h.start();
        QVERIFY(h.boxes.isEmpty());
        QCOMPARE(h.window().serialControl().openDevice(), com1.devicePath());
        QCOMPARE(h.checkedItems(PanelHarness::portItems()), QStringList{u"mnuCOM1"_s});
    }

    void refusedSettingsTextTakesTheFailurePath() {
        PanelHarness h;
        PtyPair com1;
        h.mapPort(1, com1.slavePath());
        h.storeProperty(u"Settings"_s, u"9600,x,8,1"_s);
        h.start();
        QCOMPARE(h.boxes.size(), 1);
        QCOMPARE(h.boxes[0].text, u"COM1 Not Available, Please Select Another Port"_s);
        verifyPortDependentEnabled(h, false);
        QVERIFY(h.checkedItems(PanelHarness::speedItems()).isEmpty());
        QVERIFY(com1.receiveFor(100).isEmpty());
    }

    void storedPortThatIsNoNumberFails() {
        PanelHarness h;
        PtyPair com1;
        h.mapPort(1, com1.slavePath());
        h.storeProperty(u"CommPort"_s, u"abc"_s);
        h.start();
        QCOMPARE(h.boxes.size(), 1);
        QCOMPARE(h.checkedItems(PanelHarness::portItems()), QStringList{u"mnuCOM1"_s});
        verifyPortDependentEnabled(h, false);
    }
};

VELD_QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
