#include "support/ModuleProcess.h"
#include "support/Panel.h"
#include "support/TestMain.h"

#include <QLabel>
#include <QtTest>
#include <optional>

using namespace Qt::StringLiterals;

// The real panel window, in this process, against the real veld-module program
// on a pseudo-terminal. A step is a list of actions: a panel control to click
// (cmd..., opt..., mnu...), "close" for the port, a tick of "timer2", or a
// command for the module; then a line that the module prints next, or the text
// that a panel label comes to show ("lblHour=0").
class ModuleEndToEndTest : public QObject {
    Q_OBJECT

    std::optional<veld::test::ModuleProcess> m_module;
    std::optional<veld::test::Panel> m_panel;

    void play(std::initializer_list<std::pair<const char*, const char*>> steps) {
        for (const auto& [actions, expectText] : steps) {
            for (const QString& action :
                 QString::fromUtf8(actions).split(u';', Qt::SkipEmptyParts)) {
                if (action == u"close")
                    QVERIFY(m_panel->w().serialControl().setPortOpen(false));
                else if (action == u"timer2")
                    m_panel->tick2();
                else if (action.startsWith(u"cmd") || action.startsWith(u"opt") ||
                         action.startsWith(u"mnu"))
                    veld::test::Panel::press(m_panel->w().findChild<QObject*>(action));
                else
                    m_module->command(action);
            }
            const QString expect = QString::fromUtf8(expectText);
            if (expect.startsWith(u"lbl"))
                QTRY_COMPARE(m_panel->w().findChild<QLabel*>(expect.section(u'=', 0, 0))->text(),
                             expect.section(u'=', 1));
            else
                QVERIFY2(!m_module->waitForLine({}, {expect}).isEmpty(),
                         qPrintable(u"%1: no line with %2 in\n%3"_s.arg(
                             QString::fromUtf8(actions), expect, m_module->transcript())));
        }
    }

private slots:
    void init() {
        QVERIFY2(m_module.emplace().start(), "veld-module did not start");
        m_panel.emplace();
        veld::test::Panel::map(1, m_module->devicePath());
        m_panel->start();
        m_panel->w().timer2().stop(); // polls the thermometer only when told to
    }

    void cleanup() {
        m_panel.reset();
        m_module.reset();
    }

    void moduleReportsWhatItHearsAndSays() {
        play({
            {"", "rx FE 15 FF | counter disable"}, // start-up's first frame
            {"optDP3;cmdSetDP",
             "rx FE 13 03 FF | decimal point 3 | display \"      \" dp 3 flashing off"},
            {"cmdSetRTC", "rx FE 10 00 00 0C FF | set clock 12:00:00"},
            {"cmdTimeStamp", "| time stamp 12:00:0"},
            {"temp -12", "ok | temperature -12 C"},
            {"cmdTemp;timer2", "tx FE 06 0C FF | temperature -12 C"},
            {"reset-counter", "tx FE 32 00 FF | counter reset"},
            {"count", "ok | counter disabled, event ignored"},
            {"button 3", "tx FE 03 08 FF | button 3"},
            {"close;mnuCOM1;cmdTimeStamp",
             "rx FE F7 FF | time stamp request"}, // the line outlives the port
            {"state",
             "countdown=0:00:00 running=off counter=off count=0 temperature=-12 function=\"F1 "
             "real-time clock\" startup=\"F6 display mode\" speed=9600 line=9600"},
            {"power", "ok | power cycle, function F6 display mode | display \"      \" dp 0"},
            {"dance", "error | unknown command dance; try help"},
        });
    }

    void moduleLineSpeedChangeBreaksTheLineUntilThePanelFollows() {
        play({
            {"mnum192", "rx FE 80 0B FF | module line speed 19200 bit/s"},
            // The panel still talks at 9600 bit/s: the module hears noise and says nothing.
            {"cmdTimeStamp", "lost FE F7 FF | line at 9600 bit/s, module at 19200 bit/s"},
            {"button 2", "unsent FE 03 20 FF | button 2 not sent: line at 9600 bit/s"},
            {"mnu192;state", "speed=19200 line=19200"},
            {"cmdTimeStamp", "lblHour=0"}, // the module's clock was never set
            {"mnum96", "rx FE 80 15 FF | module line speed 9600 bit/s"},
            {"optCountEn", "lost FE 05 FF"},
            {"mnu96;optCountEn", "rx FE 05 FF | counter enable"},
            {"count", "lblCounter=1"},
        });
    }
};

VELD_QTEST_MAIN(ModuleEndToEndTest)

#include "ModuleEndToEndTest.moc"
