#include "support/ModuleProcess.h"
#include "support/Panel.h"
#include "support/TestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;
using veld::test::ModuleProcess;
using veld::test::Panel;

// The real panel window, in this process, against the real veld-module
// program on a pseudo-terminal. The panel's own timers are stopped: the test
// ticks them by hand, and before each tick waits until the module's message
// has reached the panel's end of the line.
class ModuleEndToEndTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ModuleProcess> m_module;
    std::unique_ptr<Panel> m_harness;

    veld::app::frmVELD& panel() { return m_harness->w(); }
    QLabel* label(const QString& name) { return panel().findChild<QLabel*>(name); }
    QString text(const QString& name) { return label(name)->text(); }
    bool shown(const QString& name) { return !label(name)->isHidden(); }
    int waiting() { return panel().serialControl().inBufferCount(); }

    // Waits until a whole module message waits at the panel, then ticks once.
    bool tickWhenArrived() {
        if (!QTest::qWaitFor([this] { return waiting() >= 4; }, ModuleProcess::kWaitMs))
            return false;
        QMetaObject::invokeMethod(&panel().timer1(), "timeout", Qt::DirectConnection);
        return true;
    }

    QString line(const QString& prefix, const QStringList& parts = {}) {
        const QString found = m_module->waitForLine(prefix, parts);
        if (found.isEmpty())
            qWarning("module output so far:\n%s", qPrintable(m_module->transcript()));
        return found;
    }

private slots:
    void init() {
        m_module = std::make_unique<ModuleProcess>();
        QVERIFY2(m_module->start(), "veld-module did not start");
        m_harness = std::make_unique<Panel>();
        Panel::map(1, m_module->devicePath());
        m_harness->start();
        QVERIFY(m_harness->boxes.isEmpty());
        QVERIFY(panel().serialControl().portOpen());
        panel().timer1().stop();
        panel().timer2().stop();
        // Start-up disables the counter: the first frame the module hears.
        QVERIFY(!line(u"rx FE 15 FF"_s, {u"counter disable"_s}).isEmpty());
    }

    void cleanup() {
        m_harness.reset();
        m_module.reset();
    }

    void textAndDecimalPointReachTheDisplay() {
        panel().findChild<QLineEdit*>(u"txtDigit"_s)->setText(u"12"_s);
        Panel::press(panel().findChild<QObject*>(QStringLiteral("cmdSendAscii")));
        QVERIFY(
            !line(u"rx FE 03 20 20 20 20 31 32 FF"_s, {u"display \"    12\" dp 0"_s}).isEmpty());

        panel().findChild<QRadioButton*>(u"optDP3"_s)->click();
        Panel::press(panel().findChild<QObject*>(QStringLiteral("cmdSetDP")));
        QVERIFY(!line(u"rx FE 13 03 FF"_s, {u"decimal point 3"_s, u"display \"    12\" dp 3"_s})
                     .isEmpty());

        panel().findChild<QLineEdit*>(u"txtDigit"_s)->setText(u"AbCdEF"_s);
        Panel::press(panel().findChild<QObject*>(QStringLiteral("cmdSendAscii")));
        Panel::press(panel().findChild<QObject*>(QStringLiteral("cmdFlash")));
        QVERIFY(!line(u"rx FE FC FF"_s, {u"display \"AbCdEF\" dp 3 flashing on"_s}).isEmpty());

        m_module->command(u"state"_s);
        QVERIFY(!line(u"state"_s,
                      {u"display=\"AbCdEF\""_s, u"dp=3"_s, u"shown=\"AbCdEF\""_s, u"flashing=on"_s})
                     .isEmpty());
    }

    void setClockThenTimeStampShowsTheModulesTime() {
        m_harness->now = QTime(14, 5, 9);
        Panel::press(panel().findChild<QObject*>(QStringLiteral("cmdSetRTC")));
        QVERIFY(!line(u"rx FE 10 09 05 0E FF"_s, {u"set clock 14:05:09"_s}).isEmpty());

        Panel::press(panel().findChild<QObject*>(QStringLiteral("cmdTimeStamp")));
        QVERIFY(!line(u"tx FE 01"_s, {u"time stamp 14:05:"_s}).isEmpty());
        QVERIFY(tickWhenArrived());
        QCOMPARE(text(u"lblHour"_s), u"14"_s);
        QCOMPARE(text(u"lblMin"_s), u"05"_s);
        // The module's clock runs on in real time; a slow machine may see
        // a few seconds pass.
        const int seconds = text(u"lblSec"_s).toInt();
        QVERIFY2(seconds >= 9 && seconds <= 20, qPrintable(text(u"lblSec"_s)));
        QCOMPARE(text(u"lblSec"_s).size(), 2);
    }

    void showTemperatureInBothUnits_data() {
        QTest::addColumn<int>("celsius");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("celsiusText");
        QTest::addColumn<QString>("fahrenheitText");
        QTest::newRow("room") << 25 << u"tx FE 04 19 FF"_s << u"25"_s << u"77"_s;
        QTest::newRow("freezing") << 0 << u"tx FE 04 00 FF"_s << u"0"_s << u"32"_s;
        QTest::newRow("below zero") << -12 << u"tx FE 06 0C FF"_s << u"-12"_s << u"10"_s;
        QTest::newRow("coldest") << -40 << u"tx FE 06 28 FF"_s << u"-40"_s << u"-40"_s;
        QTest::newRow("hottest") << 125 << u"tx FE 04 7D FF"_s << u"125"_s << u"257"_s;
    }

    void showTemperatureInBothUnits() {
        QFETCH(int, celsius);
        QFETCH(QString, message);
        QFETCH(QString, celsiusText);
        QFETCH(QString, fahrenheitText);
        m_module->command(u"temp %1"_s.arg(celsius));
        QVERIFY(!line(u"ok"_s, {u"temperature %1 C"_s.arg(celsius)}).isEmpty());

        Panel::press(panel().findChild<QObject*>(QStringLiteral("cmdTemp")));
        QMetaObject::invokeMethod(&panel().timer2(), "timeout", Qt::DirectConnection);
        QVERIFY(!line(u"rx FE 04 FF"_s, {u"temperature request"_s}).isEmpty());
        QVERIFY(!line(message).isEmpty());
        QVERIFY(tickWhenArrived());
        QCOMPARE(text(u"lblTemp"_s), celsiusText);
        QCOMPARE(panel().celsiusReading(), celsius);
        panel().findChild<QRadioButton*>(u"optFAH"_s)->click();
        QCOMPARE(text(u"lblTemp"_s), fahrenheitText);

        // Polling goes on; the next answer arrives in the unit now selected.
        QMetaObject::invokeMethod(&panel().timer2(), "timeout", Qt::DirectConnection);
        QVERIFY(!line(message).isEmpty());
        QVERIFY(tickWhenArrived());
        QCOMPARE(text(u"lblTemp"_s), fahrenheitText);
        panel().findChild<QRadioButton*>(u"optCEL"_s)->click();
        QCOMPARE(text(u"lblTemp"_s), celsiusText);
    }

    void counterEventsAndReset() {
        Panel::press(panel().findChild<QObject*>(QStringLiteral("optCountEn")));
        QVERIFY(!line(u"rx FE 05 FF"_s, {u"counter enable"_s}).isEmpty());
        QCOMPARE(text(u"lblCounter"_s), u"0"_s);
        for (int n = 1; n <= 3; ++n) {
            m_module->command(u"count"_s);
            QVERIFY(!line(u"tx FE 05 00 FF"_s, {u"counter event"_s}).isEmpty());
            QVERIFY(tickWhenArrived());
            QCOMPARE(text(u"lblCounter"_s), QString::number(n));
        }

        m_module->command(u"reset-counter"_s);
        QVERIFY(!line(u"tx FE 32 00 FF"_s, {u"counter reset"_s}).isEmpty());
        QVERIFY(tickWhenArrived());
        QCOMPARE(text(u"lblCounter"_s), u"0"_s);
        QCOMPARE(panel().eventCount(), 0);

        m_module->command(u"count"_s);
        QVERIFY(tickWhenArrived());
        QCOMPARE(text(u"lblCounter"_s), u"1"_s);

        // Disabled, the module keeps its counter events to itself.
        Panel::press(panel().findChild<QObject*>(QStringLiteral("optCountDis")));
        QVERIFY(!line(u"rx FE 15 FF"_s).isEmpty());
        m_module->command(u"count"_s);
        QVERIFY(!line(u"ok"_s, {u"counter disabled, event ignored"_s}).isEmpty());
        QCOMPARE(waiting(), 0);
        QMetaObject::invokeMethod(&panel().timer1(), "timeout", Qt::DirectConnection);
        QCOMPARE(text(u"lblCounter"_s), u"0000"_s);
    }

    void buttonPressShowsAndHidesItsLabel_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("message");
        QTest::newRow("button 1") << 1 << u"tx FE 03 10 FF"_s;
        QTest::newRow("button 2") << 2 << u"tx FE 03 20 FF"_s;
        QTest::newRow("button 3") << 3 << u"tx FE 03 08 FF"_s;
    }

    void buttonPressShowsAndHidesItsLabel() {
        QFETCH(int, button);
        QFETCH(QString, message);
        m_module->command(u"button %1"_s.arg(button));
        QVERIFY(!line(message, {u"button %1"_s.arg(button)}).isEmpty());
        QVERIFY(tickWhenArrived());
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(shown(u"lblButton%1"_s.arg(n)), n == button);
        QMetaObject::invokeMethod(&panel().timer1(), "timeout",
                                  Qt::DirectConnection); // nothing waiting: the label goes again
        for (int n = 1; n <= 3; ++n)
            QVERIFY(!shown(u"lblButton%1"_s.arg(n)));
    }

    void moduleLineSpeedChangeBreaksTheLineUntilThePanelFollows() {
        Panel::press(panel().findChild<QObject*>(QStringLiteral("mnum192")));
        QVERIFY(!line(u"rx FE 80 0B FF"_s, {u"module line speed 19200 bit/s"_s}).isEmpty());

        // The panel still talks at 9600 bit/s: the module hears only noise
        // and answers nothing.
        Panel::press(panel().findChild<QObject*>(QStringLiteral("cmdTimeStamp")));
        QVERIFY(
            !line(u"lost FE F7 FF"_s, {u"line at 9600 bit/s, module at 19200 bit/s"_s}).isEmpty());
        m_module->command(u"button 2"_s);
        QVERIFY(!line(u"unsent FE 03 20 FF"_s).isEmpty());
        QCOMPARE(waiting(), 0);
        QMetaObject::invokeMethod(&panel().timer1(), "timeout", Qt::DirectConnection);
        QVERIFY(!shown(u"lblButton2"_s));
        QCOMPARE(text(u"lblHour"_s), QString());

        // The panel follows: the line works again.
        Panel::press(panel().findChild<QObject*>(QStringLiteral("mnu192")));
        m_module->command(u"state"_s);
        QVERIFY(!line(u"state"_s, {u"speed=19200"_s, u"line=19200"_s}).isEmpty());
        Panel::press(panel().findChild<QObject*>(QStringLiteral("cmdTimeStamp")));
        QVERIFY(!line(u"rx FE F7 FF"_s, {u"time stamp request"_s}).isEmpty());
        QVERIFY(tickWhenArrived());
        QCOMPARE(text(u"lblHour"_s), u"0"_s); // the module's clock was never set
        QCOMPARE(text(u"lblMin"_s), u"00"_s);

        // And back down to 9600 bit/s the same way.
        Panel::press(panel().findChild<QObject*>(QStringLiteral("mnum96")));
        QVERIFY(!line(u"rx FE 80 15 FF"_s, {u"module line speed 9600 bit/s"_s}).isEmpty());
        m_module->command(u"button 1"_s);
        QVERIFY(!line(u"unsent FE 03 10 FF"_s).isEmpty());
        Panel::press(panel().findChild<QObject*>(QStringLiteral("mnu96")));
        m_module->command(u"button 1"_s);
        QVERIFY(!line(u"tx FE 03 10 FF"_s).isEmpty());
        QVERIFY(tickWhenArrived());
        QVERIFY(shown(u"lblButton1"_s));
    }

    void panelClosingAndReopeningThePortKeepsTheLine() {
        QVERIFY(panel().serialControl().setPortOpen(false));
        Panel::press(panel().findChild<QObject*>(QStringLiteral("mnuCOM1")));
        QVERIFY(m_harness->boxes.isEmpty());
        Panel::press(panel().findChild<QObject*>(QStringLiteral("cmdTimeStamp")));
        QVERIFY(!line(u"tx FE 01"_s).isEmpty());
        QVERIFY(tickWhenArrived());
        QCOMPARE(text(u"lblHour"_s), u"0"_s);
    }
};

VELD_QTEST_MAIN(ModuleEndToEndTest)

#include "ModuleEndToEndTest.moc"
