#include "serial/LineSettings.h"
#include "support/TestMain.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using veld::serial::LineSettings;
using Parsed = std::optional<LineSettings>;
Q_DECLARE_METATYPE(Parsed)

class LineSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Parsed>("expected");
        using P = QSerialPort;
        QTest::newRow("menu") << u"19200,n,8,1"_s
                              << Parsed({19200, P::NoParity, P::Data8, P::OneStop});
        QTest::newRow("even") << u"110,e,7,2"_s
                              << Parsed({110, P::EvenParity, P::Data7, P::TwoStop});
        QTest::newRow("odd") << u"38400,O,5,1.5"_s
                             << Parsed({38400, P::OddParity, P::Data5, P::OneAndHalfStop});
        QTest::newRow("mark") << u"57600,m,6,1"_s
                              << Parsed({57600, P::MarkParity, P::Data6, P::OneStop});
        QTest::newRow("space") << u"256000,S,8,2"_s
                               << Parsed({256000, P::SpaceParity, P::Data8, P::TwoStop});
        for (const QString& text :
             {u""_s, u"9600"_s, u"9600,n,8"_s, u"9600,n,8,1,"_s, u"9601,n,8,1"_s, u"abc,n,8,1"_s,
              u"-9600,n,8,1"_s, u"512000,n,8,1"_s, u"9600,x,8,1"_s, u"9600,none,8,1"_s,
              u"9600,n,4,1"_s, u"9600,n,9,1"_s, u"9600,n,8,3"_s, u"9600,n,8,0"_s, u"9600, n,8,1"_s,
              u"9600;n;8;1"_s, u"99999999999999999999,n,8,1"_s,
              u"\u0669\u0666\u0660\u0660,n,8,1"_s})
            QTest::newRow(qPrintable(u"refused: "_s + text)) << text << Parsed();
    }
    void parse() {
        QFETCH(QString, text);
        QFETCH(Parsed, expected);
        QVERIFY(veld::serial::parseLineSettings(text) == expected);
    }
};

VELD_QTEST_MAIN(LineSettingsTest)
#include "LineSettingsTest.moc"
