#include "serial/LineSettings.h"
#include "support/TestMain.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using veld::serial::LineSettings;
using veld::serial::parseLineSettings;

class LineSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void accepted_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("stopBits");
        const int none = QSerialPort::NoParity;
        QTest::newRow("1200 menu") << u"1200,n,8,1"_s << 1200 << none << 8 << 1;
        QTest::newRow("2400 menu") << u"2400,n,8,1"_s << 2400 << none << 8 << 1;
        QTest::newRow("4800 menu") << u"4800,n,8,1"_s << 4800 << none << 8 << 1;
        QTest::newRow("9600 menu") << u"9600,n,8,1"_s << 9600 << none << 8 << 1;
        QTest::newRow("19200 menu") << u"19200,n,8,1"_s << 19200 << none << 8 << 1;
        QTest::newRow("110 even 7 2")
            << u"110,e,7,2"_s << 110 << int(QSerialPort::EvenParity) << 7 << 2;
        QTest::newRow("upper-case odd")
            << u"38400,O,5,1.5"_s << 38400 << int(QSerialPort::OddParity) << 5
            << int(QSerialPort::OneAndHalfStop);
        QTest::newRow("mark") << u"57600,m,6,1"_s << 57600 << int(QSerialPort::MarkParity) << 6
                              << 1;
        QTest::newRow("space") << u"256000,S,8,2"_s << 256000 << int(QSerialPort::SpaceParity) << 8
                               << 2;
        QTest::newRow("14400") << u"14400,n,8,1"_s << 14400 << none << 8 << 1;
        QTest::newRow("115200") << u"115200,n,8,1"_s << 115200 << none << 8 << 1;
    }
    void accepted() {
        QFETCH(QString, text);
        QFETCH(int, baud);
        QFETCH(int, parity);
        QFETCH(int, dataBits);
        QFETCH(int, stopBits);
        const auto parsed = parseLineSettings(text);
        QVERIFY(parsed.has_value());
        QCOMPARE(parsed->baudRate, baud);
        QCOMPARE(int(parsed->parity), parity);
        QCOMPARE(int(parsed->dataBits), dataBits);
        QCOMPARE(int(parsed->stopBits), stopBits);
    }

    void refused_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("speed only") << u"9600"_s;
        QTest::newRow("three fields") << u"9600,n,8"_s;
        QTest::newRow("extra field") << u"9600,n,8,1,x"_s;
        QTest::newRow("speed not standard") << u"9601,n,8,1"_s;
        QTest::newRow("speed text") << u"abc,n,8,1"_s;
        QTest::newRow("speed negative") << u"-9600,n,8,1"_s;
        QTest::newRow("speed too high") << u"512000,n,8,1"_s;
        QTest::newRow("parity") << u"9600,x,8,1"_s;
        QTest::newRow("parity word") << u"9600,none,8,1"_s;
        QTest::newRow("data bits 4") << u"9600,n,4,1"_s;
        QTest::newRow("data bits 9") << u"9600,n,9,1"_s;
        QTest::newRow("stop bits 3") << u"9600,n,8,3"_s;
        QTest::newRow("stop bits 0") << u"9600,n,8,0"_s;
        QTest::newRow("blanks") << u"9600, n,8,1"_s;
        QTest::newRow("trailing comma") << u"9600,n,8,1,"_s;
        QTest::newRow("semicolons") << u"9600;n;8;1"_s;
        QTest::newRow("huge number") << u"99999999999999999999,n,8,1"_s;
    }
    void refused() {
        QFETCH(QString, text);
        QVERIFY(!parseLineSettings(text).has_value());
    }
};

VELD_QTEST_MAIN(LineSettingsTest)
#include "LineSettingsTest.moc"
