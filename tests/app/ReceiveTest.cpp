#include "support/OpenPanel.h"
#include "support/TestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using veld::test::hexBytes;
using veld::test::OpenPanel;
using veld::test::PanelHarness;
using veld::test::PtyPair;

// The poll timers, the thermometer and the event counter, with a pty playing
// the module. Ticks are driven by calling the timer handlers.
class ReceiveTest : public QObject {
    Q_OBJECT

    static const QString degrees(const char* unit) {
        return QString(QChar(0x00B0)) + u' ' + QLatin1StringView(unit);
    }

private slots:
    void clockLabelShowsThePcTime() {
        OpenPanel p;
        p.h.now = QTime(9, 5, 7);
        p.tick();
        QCOMPARE(p.text(u"lblTIME"_s), u"9:05:07"_s);
        p.h.now = QTime(16, 37, 25);
        p.tick();
        QCOMPARE(p.text(u"lblTIME"_s), u"16:37:25"_s);
    }

    void clockLabelTicksWithThePortClosed() {
        PanelHarness h;
        h.start();
        h.now = QTime(0, 0, 1);
        veld::test::fire(h.window().timer1());
        QCOMPARE(h.controls().label(u"lblTIME"_s)->text(), u"0:00:01"_s);
    }

    void buttonLabelsShowAndHide_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("label");
        QTest::newRow("button 1") << hexBytes("FE0310FF") << u"lblButton1"_s;
        QTest::newRow("button 2") << hexBytes("FE0320FF") << u"lblButton2"_s;
        QTest::newRow("button 3") << hexBytes("FE0308FF") << u"lblButton3"_s;
        QTest::newRow("two at once") << hexBytes("FE0330FF") << QString();
        QTest::newRow("none") << hexBytes("FE0300FF") << QString();
    }
    void buttonLabelsShowAndHide() {
        QFETCH(QByteArray, message);
        QFETCH(QString, label);
        OpenPanel p;
        p.com1.send(message);
        p.tick();
        for (const QString& l : {u"lblButton1"_s, u"lblButton2"_s, u"lblButton3"_s})
            QCOMPARE(p.shown(l), l == label);
        p.tick(); // nothing waiting: hidden again
        for (const QString& l : {u"lblButton1"_s, u"lblButton2"_s, u"lblButton3"_s})
            QVERIFY(!p.shown(l));
    }

    void fewerThanFourBytesWaitForMore() {
        OpenPanel p;
        p.receive("FE0310FF");
        QVERIFY(p.shown(u"lblButton1"_s));
        p.com1.send(hexBytes("FE0500"));
        p.tick();
        // Three bytes: nothing decoded, nothing hidden, the bytes stay.
        QVERIFY(p.shown(u"lblButton1"_s));
        QCOMPARE(p.text(u"lblCounter"_s), u"0000"_s);
        QCOMPARE(p.h.window().serialControl().inBufferCount(), qint16(3));
        p.com1.send(hexBytes("FF"));
        p.tick();
        QCOMPARE(p.text(u"lblCounter"_s), u"1"_s);
        QCOMPARE(p.h.window().serialControl().inBufferCount(), qint16(0));
    }

    void timeStampShowsLeadingZerosForMinutesAndSecondsOnly() {
        OpenPanel p;
        p.receive("FE01050709FF");
        QCOMPARE(p.text(u"lblSec"_s), u"05"_s);
        QCOMPARE(p.text(u"lblMin"_s), u"07"_s);
        QCOMPARE(p.text(u"lblHour"_s), u"9"_s);
        p.receive("FE012A3B17FF");
        QCOMPARE(p.text(u"lblSec"_s), u"42"_s);
        QCOMPARE(p.text(u"lblMin"_s), u"59"_s);
        QCOMPARE(p.text(u"lblHour"_s), u"23"_s);
        // Shown as received, not checked against a clock.
        p.receive("FE01636364FF");
        QCOMPARE(p.text(u"lblSec"_s), u"99"_s);
        QCOMPARE(p.text(u"lblHour"_s), u"100"_s);
    }

    void aFourByteTimeStampIsIgnored() {
        OpenPanel p;
        p.receive("FE01050709FF");
        p.receive("FE011122");
        QCOMPARE(p.text(u"lblSec"_s), u"05"_s);
        QCOMPARE(p.h.window().serialControl().inBufferCount(), qint16(0));
    }

    void aSplitMessageResynchronisesOnTheThirdRead() {
        OpenPanel p;
        p.receive("FE010507"); // the first four bytes of a time stamp
        p.com1.send(hexBytes("09FF"));
        p.receive("FE0500FF"); // the rest, then a counter event: dropped whole
        QCOMPARE(p.text(u"lblCounter"_s), u"0000"_s);
        QCOMPARE(p.text(u"lblHour"_s), QString());
        p.receive("FE0500FF");
        QCOMPARE(p.text(u"lblCounter"_s), u"1"_s);
    }

    void onlyTheFirstMessageOfAReadCounts() {
        OpenPanel p;
        p.receive("FE0500FFFE0310FF");
        QCOMPARE(p.text(u"lblCounter"_s), u"1"_s);
        QVERIFY(!p.shown(u"lblButton1"_s));
        QCOMPARE(p.h.window().serialControl().inBufferCount(), qint16(0));
        // Position 0 is never looked at.
        p.receive("00050000");
        QCOMPARE(p.text(u"lblCounter"_s), u"2"_s);
    }

    void unknownCodesAreDropped_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("2") << hexBytes("FE0201FF");
        QTest::newRow("7") << hexBytes("FE0701FF");
        QTest::newRow("FE") << hexBytes("FEFE01FF");
    }
    void unknownCodesAreDropped() {
        QFETCH(QByteArray, message);
        OpenPanel p;
        p.com1.send(message);
        p.tick();
        QCOMPARE(p.h.window().serialControl().inBufferCount(), qint16(0));
        QCOMPARE(p.text(u"lblCounter"_s), u"0000"_s);
        QCOMPARE(p.text(u"lblTemp"_s), QString());
        QCOMPARE(p.h.window().celsiusReading(), 0);
    }

    void temperatureRequestsGoOutOnlyWhilePolling() {
        OpenPanel p;
        veld::test::fire(p.h.window().timer2());
        QVERIFY(p.com1.receiveFor(50).isEmpty());
        p.c().button(u"cmdTemp"_s)->click();
        QVERIFY(p.com1.receiveFor(50).isEmpty()); // the click itself sends nothing
        veld::test::fire(p.h.window().timer2());
        veld::test::fire(p.h.window().timer2());
        QCOMPARE(p.com1.receive(6), hexBytes("FE04FFFE04FF"));
        QCOMPARE(QByteArray::fromStdString(p.h.window().lastCommand()), hexBytes("FE04FF"));
    }

    void showTemperatureThenDisableSendsNoRequest() {
        OpenPanel p;
        p.c().button(u"cmdTemp"_s)->click();
        p.c().option(u"optCountDis"_s)->click();
        QCOMPARE(p.com1.receive(3), hexBytes("FE15FF"));
        veld::test::fire(p.h.window().timer2());
        QVERIFY(p.com1.receiveFor(50).isEmpty());
    }

    void showTemperatureDisablesTheCountdownButtons() {
        OpenPanel p;
        p.c().textBox(u"txtCDHour"_s)->setText(u"0"_s);
        p.c().textBox(u"txtCDMin"_s)->setText(u"1"_s);
        p.c().textBox(u"txtCDSec"_s)->setText(u"0"_s);
        p.c().button(u"cmdCDSet"_s)->click();
        p.com1.receive(6);
        p.c().label(u"lblTemp"_s)->setText(u"21"_s);
        p.c().button(u"cmdTemp"_s)->click();
        QVERIFY(!p.c().button(u"cmdStartStop"_s)->isEnabled());
        QVERIFY(!p.c().button(u"cmdReset"_s)->isEnabled());
        QCOMPARE(p.text(u"lblTemp"_s), u"21"_s);
    }

    void temperatureInBothUnits() {
        OpenPanel p;
        // Before any reading both units show 0.
        p.c().option(u"optFAH"_s)->click();
        QCOMPARE(p.text(u"lblTemp"_s), u"0"_s);
        QCOMPARE(p.text(u"lblUnit"_s), degrees("F"));
        p.c().option(u"optCEL"_s)->click();
        QCOMPARE(p.text(u"lblTemp"_s), u"0"_s);
        QCOMPARE(p.text(u"lblUnit"_s), degrees("C"));

        p.receive("FE0419FF");
        QCOMPARE(p.text(u"lblTemp"_s), u"25"_s);
        p.c().option(u"optFAH"_s)->click();
        QCOMPARE(p.text(u"lblTemp"_s), u"77"_s);
        p.c().option(u"optCEL"_s)->click();
        QCOMPARE(p.text(u"lblTemp"_s), u"25"_s);

        p.receive("FE060AFF");
        QCOMPARE(p.text(u"lblTemp"_s), u"-10"_s);
        p.c().option(u"optFAH"_s)->click();
        QCOMPARE(p.text(u"lblTemp"_s), u"14"_s);
        // The decoder writes the unit selected when the message arrives.
        p.receive("FE0612FF");
        QCOMPARE(p.text(u"lblTemp"_s), u"0"_s);
        p.receive("FE0614FF");
        QCOMPARE(p.text(u"lblTemp"_s), u"-4"_s);
        p.c().option(u"optCEL"_s)->click();
        QCOMPARE(p.text(u"lblTemp"_s), u"-20"_s);

        p.receive("FE0600FF");
        QCOMPARE(p.text(u"lblTemp"_s), u"-0"_s);
        p.c().option(u"optCEL"_s)->click();
        QCOMPARE(p.text(u"lblTemp"_s), u"0"_s);
        QCOMPARE(p.h.window().fahrenheitReading(), 32);
    }

    void enableEmptiesTheReadingButKeepsIt() {
        OpenPanel p;
        p.receive("FE0419FF");
        p.c().option(u"optCountEn"_s)->click();
        QCOMPARE(p.com1.receive(3), hexBytes("FE05FF"));
        QCOMPARE(p.text(u"lblTemp"_s), QString());
        p.c().option(u"optFAH"_s)->click();
        QCOMPARE(p.text(u"lblTemp"_s), u"77"_s);
    }

    void counterEnableDisableAndEvents() {
        OpenPanel p;
        p.c().button(u"cmdTemp"_s)->click();
        p.c().option(u"optCountEn"_s)->click();
        QCOMPARE(p.com1.receive(3), hexBytes("FE05FF"));
        QCOMPARE(p.text(u"lblCounter"_s), u"0"_s);
        QCOMPARE(p.h.window().temperaturePollingFlag(), 0);
        for (int i = 0; i < 3; ++i)
            p.receive("FE0500FF");
        QCOMPARE(p.text(u"lblCounter"_s), u"3"_s);

        p.c().option(u"optCountDis"_s)->click();
        QCOMPARE(p.com1.receive(3), hexBytes("FE15FF"));
        QCOMPARE(p.text(u"lblCounter"_s), u"0000"_s);
        for (int i = 0; i < 3; ++i)
            p.receive("FE0500FF");
        QCOMPARE(p.text(u"lblCounter"_s), u"3"_s);

        p.receive("FE3200FF");
        QCOMPARE(p.text(u"lblCounter"_s), u"0"_s);
        p.receive("FE0500FF");
        QCOMPARE(p.text(u"lblCounter"_s), u"1"_s);
    }

    void counterStopsAtItsLimit() {
        OpenPanel p;
        // Many events in one read count once; reads one after another count each.
        for (int i = 0; i < 32767; ++i)
            p.receive("FE0500FF");
        QCOMPARE(p.text(u"lblCounter"_s), u"32767"_s);
        p.receive("FE0500FF");
        p.receive("FE0500FF");
        QCOMPARE(p.text(u"lblCounter"_s), u"32767"_s);
        QCOMPARE(p.h.window().eventCount(), 32767);
        p.receive("FE3200FF");
        p.receive("FE0500FF");
        QCOMPARE(p.text(u"lblCounter"_s), u"1"_s);
    }

    void counterOptionsOnAClosedPort() {
        PanelHarness h;
        h.start();
        h.boxes.clear();
        veld::test::NamedControls(h.window()).click(QStringLiteral("cmdTemp"));
        h.controls().option(u"optCountEn"_s)->click();
        QCOMPARE(h.window().eventCount(), 0);
        QCOMPARE(h.controls().label(u"lblCounter"_s)->text(), u"0"_s);
        QCOMPARE(h.controls().label(u"lblTemp"_s)->text(), QString());
        QCOMPARE(h.window().temperaturePollingFlag(), 0);
        QCOMPARE(QByteArray::fromStdString(h.window().lastCommand()), hexBytes("FE05FF"));
        QVERIFY(h.boxes.isEmpty());

        veld::test::NamedControls(h.window()).click(QStringLiteral("cmdTemp"));
        h.controls().label(u"lblTemp"_s)->setText(u"5"_s);
        h.controls().option(u"optCountDis"_s)->click();
        QCOMPARE(h.controls().label(u"lblCounter"_s)->text(), u"0000"_s);
        QCOMPARE(h.window().temperaturePollingFlag(), 0);
        QCOMPARE(QByteArray::fromStdString(h.window().lastCommand()), hexBytes("FE05FF"));
        QCOMPARE(h.controls().label(u"lblTemp"_s)->text(), u"5"_s);
        QVERIFY(h.boxes.isEmpty());
    }
};

VELD_QTEST_MAIN(ReceiveTest)
#include "ReceiveTest.moc"
