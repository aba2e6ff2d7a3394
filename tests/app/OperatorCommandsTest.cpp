#include "support/OpenPanel.h"
#include "support/TestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using veld::test::hexBytes;
using veld::test::OpenPanel;
using veld::test::PanelHarness;
using veld::test::PtyPair;

// Display text, decimal point, module clock and countdown, driven through the
// real window against a pty that plays the module.
class OperatorCommandsTest : public QObject {
    Q_OBJECT

    static void setCountdown(const OpenPanel& p, const QString& hours, const QString& minutes,
                             const QString& seconds) {
        p.c().textBox(u"txtCDHour"_s)->setText(hours);
        p.c().textBox(u"txtCDMin"_s)->setText(minutes);
        p.c().textBox(u"txtCDSec"_s)->setText(seconds);
    }

    static bool countdownButtonsEnabled(const OpenPanel& p) {
        const bool startStop = p.c().button(u"cmdStartStop"_s)->isEnabled();
        const bool reset = p.c().button(u"cmdReset"_s)->isEnabled();
        if (startStop != reset)
            qWarning("Start/Stop and Reset out of step");
        return startStop && reset;
    }

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void textIsRightAlignedAndSent_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("1") << u"1"_s << hexBytes("FE03202020202031FF");
        QTest::newRow("12") << u"12"_s << hexBytes("FE03202020203132FF");
        QTest::newRow("123") << u"123"_s << hexBytes("FE03202020313233FF");
        QTest::newRow("12.4") << u"12.4"_s << hexBytes("FE03202031322E34FF");
        QTest::newRow("HELLO") << u"HELLO"_s << hexBytes("FE032048454C4C4FFF");
        QTest::newRow("AbCdEF") << u"AbCdEF"_s << hexBytes("FE034162436445 46FF");
        QTest::newRow("leading space") << u" 1"_s << hexBytes("FE03202020202031FF");
        QTest::newRow("outside the valid set") << u"a"_s << hexBytes("FE03202020202061FF");
    }
    void textIsRightAlignedAndSent() {
        QFETCH(QString, text);
        QFETCH(QByteArray, frame);
        OpenPanel p;
        p.startPolling();
        p.c().textBox(u"txtDigit"_s)->setText(text);
        p.c().button(u"cmdSendAscii"_s)->click();
        QCOMPARE(p.com1.receive(9), frame);
        QCOMPARE(p.c().textBox(u"txtDigit"_s)->text(), QString());
        QCOMPARE(p.c().label(u"lblTemp"_s)->text(), QString());
        QCOMPARE(p.h.window().temperaturePollingFlag(), 0);
        QVERIFY(p.h.boxes.isEmpty());
    }

    void textBoxTakesAtMostSixCharacters() {
        OpenPanel p;
        QLineEdit* digits = p.c().textBox(u"txtDigit"_s);
        QTest::keyClicks(digits, u"1234567"_s);
        QCOMPARE(digits->text(), u"123456"_s);
        p.c().button(u"cmdSendAscii"_s)->click();
        QCOMPARE(p.com1.receive(9), hexBytes("FE03313233343536FF"));
    }

    void emptyTextSendsNothing() {
        OpenPanel p;
        p.startPolling();
        p.c().button(u"cmdSendAscii"_s)->click();
        QVERIFY(p.com1.receiveFor(100).isEmpty());
        QVERIFY(p.h.boxes.isEmpty());
        QCOMPARE(p.c().label(u"lblTemp"_s)->text(), QString());
        QCOMPARE(p.h.window().temperaturePollingFlag(), 0);
    }

    void textOnAClosedPortShowsTheBoxThenEmptiesTheBox() {
        PanelHarness h;
        h.start();
        h.boxes.clear();
        h.controls().textBox(u"txtDigit"_s)->setText(u"12"_s);
        QString textWhileBoxShown;
        h.whileBoxShown = [&] { textWhileBoxShown = h.controls().textBox(u"txtDigit"_s)->text(); };
        veld::test::NamedControls(h.window()).click(QStringLiteral("cmdSendAscii"));
        QCOMPARE(h.boxes.size(), 1);
        QCOMPARE(h.boxes[0].title, u"COM PORT ERROR"_s);
        QCOMPARE(h.boxes[0].text, u"Com Port Not Available"_s);
        QCOMPARE(textWhileBoxShown, u"12"_s);
        QCOMPARE(h.controls().textBox(u"txtDigit"_s)->text(), QString());
    }

    void decimalPointIsSentOnlyBySetDecimalPoint() {
        OpenPanel p;
        setCountdown(p, u"0"_s, u"0"_s, u"1"_s);
        p.c().button(u"cmdCDSet"_s)->click();
        QCOMPARE(p.com1.receive(6), hexBytes("FE01010000FF"));
        QVERIFY(countdownButtonsEnabled(p));

        p.c().option(u"optDP3"_s)->click();
        QVERIFY(p.com1.receiveFor(50).isEmpty());
        QCOMPARE(p.h.window().decimalPointChoice(), 3);
        QVERIFY(countdownButtonsEnabled(p));

        p.c().option(u"optOFFDP"_s)->click();
        p.c().button(u"cmdSetDP"_s)->click();
        QCOMPARE(p.com1.receive(4), hexBytes("FE1300FF"));
        QVERIFY(!p.c().button(u"cmdStartStop"_s)->isEnabled());
        QVERIFY(!p.c().button(u"cmdReset"_s)->isEnabled());

        p.startPolling();
        p.c().option(u"optDP6"_s)->click();
        p.c().button(u"cmdSetDP"_s)->click();
        p.c().button(u"cmdSetDP"_s)->click();
        QCOMPARE(p.com1.receive(8), hexBytes("FE1306FFFE1306FF"));
        QCOMPARE(p.h.window().temperaturePollingFlag(), 0);
        QCOMPARE(p.c().label(u"lblTemp"_s)->text(), u"25"_s); // untouched
    }

    void everyDecimalPointOption() {
        OpenPanel p;
        const char* names[] = {"optOFFDP", "optDP1", "optDP2", "optDP3",
                               "optDP4",   "optDP5", "optDP6"};
        for (int choice = 0; choice <= 6; ++choice) {
            p.c().option(QString::fromLatin1(names[choice]))->click();
            QCOMPARE(p.h.window().decimalPointChoice(), choice);
            p.c().button(u"cmdSetDP"_s)->click();
            QByteArray frame = hexBytes("FE13");
            frame.append(char(choice)).append('\xFF');
            QCOMPARE(p.com1.receive(4), frame);
        }
    }

    void clockSendsThePcTime_data() {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("14:05:09") << QTime(14, 5, 9) << hexBytes("FE1009050EFF");
        QTest::newRow("23:59:59") << QTime(23, 59, 59) << hexBytes("FE103B3B17FF");
        QTest::newRow("midnight") << QTime(0, 0, 0) << hexBytes("FE10000000FF");
    }
    void clockSendsThePcTime() {
        QFETCH(QTime, now);
        QFETCH(QByteArray, frame);
        OpenPanel p;
        setCountdown(p, u"1"_s, u"0"_s, u"0"_s);
        p.c().button(u"cmdCDSet"_s)->click();
        p.com1.receive(6);
        p.startPolling();
        p.h.now = now;
        p.c().button(u"cmdSetRTC"_s)->click();
        QCOMPARE(p.com1.receive(6), frame);
        QVERIFY(!p.c().button(u"cmdStartStop"_s)->isEnabled());
        QVERIFY(!p.c().button(u"cmdReset"_s)->isEnabled());
        QCOMPARE(p.h.window().temperaturePollingFlag(), 0);
        QCOMPARE(p.c().label(u"lblTemp"_s)->text(), QString());
    }

    void clockOnAClosedPortSendsNothingButStillDisables() {
        PanelHarness h;
        h.start();
        h.boxes.clear();
        h.controls().button(u"cmdStartStop"_s)->setEnabled(true);
        h.controls().button(u"cmdReset"_s)->setEnabled(true);
        veld::test::NamedControls(h.window()).click(QStringLiteral("cmdSetRTC"));
        QVERIFY(h.window().lastCommand().empty());
        QVERIFY(h.boxes.isEmpty());
        QVERIFY(!h.controls().button(u"cmdStartStop"_s)->isEnabled());
        QVERIFY(!h.controls().button(u"cmdReset"_s)->isEnabled());
    }

    void countdownAccepted_data() {
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("1/30/0") << u"1"_s << u"30"_s << u"0"_s << hexBytes("FE01001E01FF");
        QTest::newRow("0/75/99") << u"0"_s << u"75"_s << u"99"_s << hexBytes("FE01634B00FF");
        QTest::newRow("0/0/0") << u"0"_s << u"0"_s << u"0"_s << hexBytes("FE01000000FF");
        QTest::newRow("leading blank") << u"0"_s << u" 5"_s << u"0"_s << hexBytes("FE01000500FF");
        QTest::newRow("trailing point") << u"0"_s << u"5."_s << u"0"_s << hexBytes("FE01000500FF");
        QTest::newRow("half to even, down")
            << u"2.5"_s << u"0"_s << u".5"_s << hexBytes("FE01000002FF");
        QTest::newRow("half to even, up")
            << u"3.5"_s << u"0"_s << u"0"_s << hexBytes("FE01000004FF");
        QTest::newRow("top of the byte")
            << u"255"_s << u"99"_s << u"99"_s << hexBytes("FE016363FFFF");
    }
    void countdownAccepted() {
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        QFETCH(QString, seconds);
        QFETCH(QByteArray, frame);
        OpenPanel p;
        p.startPolling();
        setCountdown(p, hours, minutes, seconds);
        p.c().button(u"cmdCDSet"_s)->click();
        QCOMPARE(p.com1.receive(6), frame);
        QVERIFY(countdownButtonsEnabled(p));
        QVERIFY(p.h.boxes.isEmpty());
        QCOMPARE(p.h.window().temperaturePollingFlag(), 0);
        QCOMPARE(p.c().label(u"lblTemp"_s)->text(), QString());
        // The boxes keep what the user typed.
        QCOMPARE(p.c().textBox(u"txtCDHour"_s)->text(), hours);
        QCOMPARE(p.c().textBox(u"txtCDMin"_s)->text(), minutes);
    }

    void countdownRefused_data() {
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<bool>("enabledBefore");
        QTest::addColumn<QString>("message");
        const QString numeric = u"Please Key In Numeric Value"_s;
        const QString range = u"Please Key In Values From 0 To 255"_s;
        QTest::newRow("letters") << u"1"_s << u"ab"_s << u"10"_s << false << numeric;
        QTest::newRow("empty hours") << QString() << u"5"_s << u"5"_s << true << numeric;
        QTest::newRow("all empty") << QString() << QString() << QString() << false << numeric;
        QTest::newRow("exponent") << u"1e2"_s << u"0"_s << u"0"_s << true << numeric;
        QTest::newRow("negative minutes") << u"0"_s << u"-5"_s << u"0"_s << true << range;
        QTest::newRow("negative seconds") << u"0"_s << u"0"_s << u"-1"_s << false << range;
        QTest::newRow("negative hours") << u"-1"_s << u"0"_s << u"0"_s << false << range;
        QTest::newRow("256 hours") << u"256"_s << u"0"_s << u"0"_s << true << range;
        QTest::newRow("huge hours")
            << u"99999999999999999999999999"_s << u"0"_s << u"0"_s << false << range;
    }
    void countdownRefused() {
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        QFETCH(QString, seconds);
        QFETCH(bool, enabledBefore);
        QFETCH(QString, message);
        OpenPanel p;
        // "Show Temperature" disables the countdown buttons, so polling is on
        // only where they start disabled.
        if (enabledBefore) {
            setCountdown(p, u"0"_s, u"1"_s, u"0"_s);
            p.c().button(u"cmdCDSet"_s)->click();
            p.com1.receive(6);
            p.c().label(u"lblTemp"_s)->setText(u"25"_s);
        } else {
            p.startPolling();
        }
        const QByteArray lastBefore = QByteArray::fromStdString(p.h.window().lastCommand());
        setCountdown(p, hours, minutes, seconds);
        QStringList boxesWhileShown;
        p.h.whileBoxShown = [&] {
            boxesWhileShown = {p.c().textBox(u"txtCDHour"_s)->text(),
                               p.c().textBox(u"txtCDMin"_s)->text(),
                               p.c().textBox(u"txtCDSec"_s)->text()};
        };
        p.c().button(u"cmdCDSet"_s)->click();
        QCOMPARE(p.h.boxes.size(), 1);
        QCOMPARE(p.h.boxes[0].title, u"Input ERROR"_s);
        QCOMPARE(p.h.boxes[0].text, message);
        // Emptied once the box is closed, all three.
        QCOMPARE(boxesWhileShown, (QStringList{hours, minutes, seconds}));
        QCOMPARE(p.c().textBox(u"txtCDHour"_s)->text(), QString());
        QCOMPARE(p.c().textBox(u"txtCDMin"_s)->text(), QString());
        QCOMPARE(p.c().textBox(u"txtCDSec"_s)->text(), QString());
        QVERIFY(p.com1.receiveFor(100).isEmpty());
        QCOMPARE(QByteArray::fromStdString(p.h.window().lastCommand()), lastBefore);
        QCOMPARE(countdownButtonsEnabled(p), enabledBefore);
        QCOMPARE(p.h.window().temperaturePollingFlag(), 0);
        QCOMPARE(p.c().label(u"lblTemp"_s)->text(), QString());
    }

    void countdownReadsTheUsersDecimalSeparator() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        OpenPanel p;
        setCountdown(p, u"2,5"_s, u"1"_s, u"0"_s);
        p.c().button(u"cmdCDSet"_s)->click();
        QCOMPARE(p.com1.receive(6), hexBytes("FE01000102FF"));
        setCountdown(p, u"2.5"_s, u"1"_s, u"0"_s);
        p.c().button(u"cmdCDSet"_s)->click();
        QCOMPARE(p.h.boxes.size(), 1);
        QCOMPARE(p.h.boxes[0].text, u"Please Key In Numeric Value"_s);
    }

    void countdownButtonsSendAndClearPolling() {
        OpenPanel p;
        setCountdown(p, u"0"_s, u"1"_s, u"0"_s);
        p.c().button(u"cmdCDSet"_s)->click();
        p.com1.receive(6);
        p.c().button(u"cmdStartStop"_s)->click();
        p.c().button(u"cmdReset"_s)->click();
        QCOMPARE(p.com1.receive(6), hexBytes("FE11FFFE21FF"));
        // Neither changes any control.
        QVERIFY(countdownButtonsEnabled(p));

        // Polling is on only after "Show Temperature", which disables both
        // buttons; their handlers still clear it.
        p.startPolling();
        veld::test::NamedControls(p.h.window()).click(QStringLiteral("cmdStartStop"));
        QCOMPARE(p.h.window().temperaturePollingFlag(), 0);
        p.startPolling();
        veld::test::NamedControls(p.h.window()).click(QStringLiteral("cmdReset"));
        QCOMPARE(p.h.window().temperaturePollingFlag(), 0);
        QCOMPARE(p.com1.receive(6), hexBytes("FE11FFFE21FF"));

        p.startPolling();
        p.c().button(u"cmdTimeStamp"_s)->click();
        QCOMPARE(p.com1.receive(3), hexBytes("FEF7FF"));
        QCOMPARE(p.h.window().temperaturePollingFlag(), 0);
    }
};

VELD_QTEST_MAIN(OperatorCommandsTest)
#include "OperatorCommandsTest.moc"
