#include "tools/ModuleWindow.h"
#include "support/TestMain.h"
#include "tools/PtyEndpoint.h"
#include "tools/SevenSegmentDisplay.h"
#include "tools/VirtualModule.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QSpinBox>
#include <QtTest>
#include <optional>

using namespace Qt::StringLiterals;

// The module's window on the offscreen platform; the test is the panel on the
// module's pseudo-terminal, and reads what the module says in its log.
class ModuleWindowTest : public QObject {
    Q_OBJECT

    struct Rig {
        veld::tools::PtyEndpoint line;
        veld::tools::VirtualModule module{line};
        veld::tools::ModuleWindow window{module};
        QSerialPort panel;
    };
    std::optional<Rig> m_rig;

    template <typename T = QLabel> T* child(const char* name) {
        T* widget = m_rig->window.findChild<T*>(QLatin1StringView(name));
        if (!widget)
            qFatal("no child %s", name);
        return widget;
    }
    int litPixels() {
        const QImage image =
            m_rig->window.display().grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
        return static_cast<int>(
            std::count_if(pixels, pixels + image.width() * image.height(),
                          [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 100; }));
    }
    // The digits, the lamps of buzzer and outputs (1: on), and whether a segment is lit.
    QString shown() {
        QString lamps;
        for (const char* lamp : {"buzzer", "output1", "output2"})
            lamps += child(lamp)->property("on").toBool() ? u'1' : u'0';
        return u"%1 %2 %3"_s.arg(QString::fromStdString(m_rig->window.display().characters()),
                                 lamps, litPixels() > 0 ? u"lit"_s : u"dark"_s);
    }
    void send(const char* hex) { QVERIFY(m_rig->panel.write(QByteArray::fromHex(hex)) > 0); }
    QString log() { return child<QPlainTextEdit>("log")->toPlainText(); }

private slots:
    void init() {
        QString error;
        QVERIFY2(m_rig.emplace().line.open(error), qPrintable(error));
        m_rig->window.show();
        m_rig->panel.setPortName(m_rig->line.devicePath());
        QVERIFY(m_rig->panel.open(QIODevice::ReadWrite) && m_rig->panel.setBaudRate(9600));
    }

    void cleanup() { m_rig.reset(); }

    void digitsLampsLabelsAndInputs() {
        QCOMPARE(shown(), u"       000 dark"_s);
        QCOMPARE(child("counter")->text(), u"disabled, count 0"_s);
        send("FE 03 31 31 31 31 31 31 FF FE FA FF FE F6 FF");
        QTRY_COMPARE(shown(), u"111111 101 lit"_s);
        const int ones = litPixels();
        send("FE 03 38 38 38 38 38 38 FF FE FB FF FE F9 FF");
        QTRY_COMPARE(shown(), u"888888 011 lit"_s);
        const int eights = litPixels();
        send("FE 13 03 FF");
        QTRY_COMPARE(m_rig->window.display().points(), std::uint8_t{0b000100});
        QVERIFY2(eights > 2 * ones && litPixels() > eights,
                 qPrintable(u"%1 %2 %3"_s.arg(ones).arg(eights).arg(litPixels())));
        QCOMPARE(child("lastFrame")->text(), u"FE 13 03 FF  decimal point 3"_s);
        send("FE FC FF");
        QTRY_COMPARE(shown(), u"888888 011 dark"_s);
        QTRY_COMPARE(shown(), u"888888 011 lit"_s);

        child<QSpinBox>("temperature")->setValue(-12);
        send("FE 01 1E 01 01 FF FE 90 05 FF FE 05 FF FE 04 FF FE 03 48 45 4C 4C 4F 20 FF");
        QTRY_VERIFY(log().endsWith(u"display text \"HELLO \""_s));
        QCOMPARE(child("countdown")->text(), u"1:01:30 of 1:01:30, stopped"_s);
        for (const char* input : {"button1", "button2", "button3", "resetCounter", "counterEvent"})
            child<QPushButton>(input)->click();
        QVERIFY(log().endsWith(u"tx FE 06 0C FF  temperature -12 C\nrx FE 03 48 45 4C 4C 4F 20 "
                               "FF  display text \"HELLO \"\ntx FE 03 10 FF  button 1\ntx FE 03 20 "
                               "FF  button 2\ntx FE 03 08 FF  button 3\ntx FE 32 00 FF  counter "
                               "reset\ntx FE 05 00 FF  counter event"_s));
        QCOMPARE(child("counter")->text(), u"enabled, count 1"_s);
        QCOMPARE(child("function")->text(), u"now F6 display mode, at start-up F5 counter"_s);
        child<QPushButton>("powerCycle")->click();
        QVERIFY(shown().startsWith(u"     0 "_s));
    }

    void lineFaults() {
        // A text frame that never ends: the temperature request inside its
        // nine bytes is answered once the line stays quiet.
        send("FE 03 41 FE 04 FF");
        QTRY_COMPARE(log(), u"skip 3 byte(s) formed no frame\nrx FE 04 FF  temperature request\n"
                            "tx FE 04 19 FF  temperature 25 C"_s);
        QVERIFY(m_rig->panel.setBaudRate(19200));
        send("FE 03 31 32 33 34 35 36 FF");
        QTRY_VERIFY(log().endsWith(
            u"\nlost FE 03 31 32 33 34 35 36 FF  line at 19200 bit/s, module at 9600 bit/s"_s));
        QCOMPARE(child("line")->text(),
                 u"module 9600 bit/s, line 19200 bit/s: mismatch, no traffic"_s);
    }
};

VELD_QTEST_MAIN(ModuleWindowTest)

#include "ModuleWindowTest.moc"
