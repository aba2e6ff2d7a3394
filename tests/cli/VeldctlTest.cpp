#include "support/ModuleProcess.h"
#include "support/PtyPair.h"
#include "support/TestMain.h"

#include <QtTest>
#include <csignal>

using namespace Qt::StringLiterals;
using veld::test::hex;

namespace {
// Runs veldctl; on this pty unless the arguments name another port after it.
void start(QProcess& p, const QString& args, const QString& pty = {}) {
    p.start(QStringLiteral(VELDCTL_PROGRAM),
            (pty.isEmpty() ? QStringList() : QStringList{u"--port"_s, pty}) + args.split(u' '));
    QVERIFY(p.waitForStarted());
}

// Bytes on the wire, the exit status, how standard output (status 0) or
// standard error after "veldctl: " begins, and the module's reply once it has
// heard the bytes.
// clang-format off
struct Run { const char *args, *wire; int exit = 0; const char *out = "", *reply = ""; };
constexpr Run kRuns[] = {
    {"text 12.34", "FE03203132 2E3334FF"}, {"text AbCdEF", "FE03416243644546FF"}, {"dp 0", "FE1300FF"},
    {"dp 6", "FE1306FF"}, {"flash", "FEFCFF"}, {"buzzer on", "FEFAFF"}, {"buzzer off", "FEFBFF"},
    {"output 1 on", "FEF9FF"}, {"output 1 off", "FEF8FF"}, {"output 2 on", "FEF6FF"},
    {"output 2 off", "FEF5FF"}, {"countdown 1 30 0", "FE01001E01FF"}, {"countdown 0 75 99", "FE01634B00FF"},
    {"countdown 0 2.5 .5", "FE01000200FF"}, {"start-stop", "FE11FF"}, {"countdown-reset", "FE21FF"},
    {"counter on", "FE05FF"}, {"counter off", "FE15FF"}, {"startup F1", "FE9000FF"}, {"startup f6", "FE9003FF"},
    {"module-speed 1200", "FE80ABFF"}, {"module-speed 19200", "FE800BFF"},
    {"time", "FEF7FF", 0, "9:07:05\n", "FE01050709FF"}, {"--speed 19200 time", "FEF7FF", 0, "23:59:42\n", "FE012A3B17FF"},
    {"temp", "FE04FF", 0, "25\n", "FE0310FF FE0419FF"}, {"temp", "FE04FF", 0, "-10\n", "FE060AFF"},
    {"temp --fahrenheit", "FE04FF", 0, "14\n", "FE060AFF"}, {"temp", "FE04FF", 0, "0\n", "FE0600FF"},
    {"--timeout 300 time", "FEF7FF", 3, "no answer from "},
    {"--timeout 300 temp", "FE04FF", 3, "no answer from ", "FE01050709FF"},
    {"--port /nonexistent/veld text 1", "", 2, "cannot open /nonexistent/veld: no such device\n"},
    {"", "", 1, "no command given\n"}, {"blink", "", 1, "unknown command"}, {"text ", "", 1, "the text is empty"},
    {"text 1234567", "", 1, "'1234567' has 7 characters; the display has 6\n"}, {"dp 7", "", 1, "dp takes"},
    {"output 3 on", "", 1, "output takes"}, {"buzzer loud", "", 1, "buzzer takes"},
    {"countdown 1 2", "", 1, "countdown takes 3"}, {"countdown a 0 0", "", 1, "Please Key In Numeric Value\n"},
    {"countdown 0 -1 0", "", 1, "Please Key In Values From 0 To 255\n"}, {"startup F7", "", 1, "startup takes"},
    {"module-speed 300", "", 1, "module-speed takes"}, {"temp --kelvin", "", 1, "temp takes"},
    {"--speed 123 time", "", 1, "--speed takes"}, {"--timeout -5 time", "", 1, "--timeout takes"},
    {"--com 6 flash", "", 1, "--com takes"}};
// clang-format on
} // namespace
Q_DECLARE_METATYPE(Run)

// The real veldctl, the test playing the module on a pty, and once veld-module.
class VeldctlTest : public QObject {
    Q_OBJECT

private slots:
    void runs_data() {
        QTest::addColumn<Run>("run");
        for (const Run& r : kRuns)
            QTest::addRow("%s", r.args) << r;
    }
    void runs() {
        QFETCH(Run, run);
        veld::test::PtyPair pty;
        QProcess p;
        start(p, QString::fromLatin1(run.args), pty.slavePath());
        QByteArray sent = pty.receive(hex(run.wire).size());
        if (*run.reply)
            QCOMPARE(pty.baudRate(), QByteArray(run.args).contains("19200") ? 19200 : 9600);
        pty.send(hex(run.reply), false);
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), run.exit);
        const QByteArray text = run.exit ? p.readAllStandardError() : p.readAllStandardOutput();
        const QByteArray out = (run.exit ? "veldctl: " : "") + QByteArray(run.out);
        QVERIFY2(text.startsWith(out) && text.isEmpty() == out.isEmpty(), text.constData());
        QVERIFY(run.exit != 1 || text.contains("\nUsage: veldctl"));
        QCOMPARE((sent + pty.receiveFor(0)).toHex(' '), hex(run.wire).toHex(' '));
    }

    void watch_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("lines");
        QTest::newRow("to SIGTERM") << "watch"
                                    << "button 1|temp 25|temp -10|count|count-reset|time 9:07:05";
        QTest::newRow("--json to a closed pipe")
            << "watch --json"
            << R"({"event":"button","button":1}|{"event":"temp","celsius":25,"fahrenheit":77}|)"
               R"({"event":"temp","celsius":-10,"fahrenheit":14}|{"event":"count"}|)"
               R"({"event":"count-reset"}|)"
               R"({"event":"time","hours":9,"minutes":7,"seconds":5,"text":"9:07:05"})";
    }
    void watch() {
        QFETCH(QString, args);
        QFETCH(QString, lines);
        const bool json = args.contains(u"json"_s);
        veld::test::PtyPair pty;
        QProcess p, head; // as in: veldctl watch --json | head -n 6
        if (json) {
            p.setStandardOutputProcess(&head);
            head.start(u"head"_s, {u"-n"_s, u"6"_s});
        }
        start(p, args, pty.slavePath());
        QTRY_COMPARE(pty.baudRate(), 9600);
        pty.send(hex("00 FE0310FF 55 FE0419FF FE060AFF FEFE0500FF 13FE3200FF FE01050709FF"), false);
        QByteArray out;
        QTRY_COMPARE(QString::fromUtf8(out += (json ? head : p).readAllStandardOutput()).trimmed(),
                     lines.replace(u'|', u'\n'));
        if (json) {
            QTRY_COMPARE(head.state(), QProcess::NotRunning);
            pty.send(hex("FE0310FF"), false); // to a closed pipe
        } else {
            p.terminate();
        }
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitStatus(), json ? QProcess::NormalExit : QProcess::CrashExit);
        QCOMPARE(p.exitCode(), json ? 0 : SIGTERM);
        QCOMPARE(pty.baudRate(), 38400); // the pty's own: the port was closed first
    }

    // As a user would, on the stored port and on --com, both mapped to veld-module.
    void againstVeldModule() {
        veld::test::ModuleProcess module;
        QVERIFY(module.start());
        qputenv("VELD_COM4", module.devicePath().toLocal8Bit());
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, u"VELD"_s, u"VELD"_s);
        settings.setValue(u"Properties/CommPort"_s, u"4"_s);
        settings.sync();
        QCOMPARE(settings.status(), QSettings::NoError);
        const auto veldctl = [](const char* args) {
            QProcess p;
            start(p, QString::fromLatin1(args));
            p.waitForFinished();
            return QString::number(p.exitCode()) + u' ' + QString::fromUtf8(p.readAll()).trimmed();
        };
        QCOMPARE(veldctl("text 12.34"), u"0 "_s);
        module.command(u"state"_s);
        QVERIFY(!module.waitForLine(u"state"_s, {u"display=\" 12.34\""_s}).isEmpty());
        module.command(u"temp -10"_s);
        QCOMPARE(veldctl("--com 4 temp"), u"0 -10"_s);
        QCOMPARE(veldctl("clock"), u"0 "_s); // seconds, minutes, hours: read back by time
        const QTime time = QTime::fromString(veldctl("time"), u"0 h:mm:ss"_s);
        QVERIFY(time.isValid() && qAbs(time.secsTo(QTime::currentTime())) <= 1);
    }
};

VELD_QTEST_MAIN(VeldctlTest)

#include "VeldctlTest.moc"
