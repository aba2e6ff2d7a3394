// The real veldctl on the stored port, COM4, which leads to a pty where the
// test plays the module.
#include "support/Panel.h"

#include <QProcess>
#include <QtTest>
#include <csignal>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using veld::test::hex;
using veld::test::Panel;
using veld::test::PtyPair;

namespace {

// A pty for COM4, the port the settings name, and veldctl started on it, its
// output piped to `pipe` if given; PTY in the arguments stands for the pty's path.
struct Veldctl {
    explicit Veldctl(QString args, QProcess* pipe = nullptr) {
        Panel::store(u"CommPort"_s, u"4"_s);
        Panel::map(4, pty.slavePath());
        if (pipe)
            p.setStandardOutputProcess(pipe);
        p.start(QStringLiteral(VELDCTL_PROGRAM),
                args.replace(u"PTY"_s, pty.slavePath()).split(u' '));
        EXPECT_TRUE(p.waitForStarted());
    }
    PtyPair pty;
    QProcess p;
};

// Bytes on the wire, the exit status, how standard output (status 0) or
// standard error after "veldctl: " begins, and the module's reply once it has
// heard the bytes.
// clang-format off
struct Row { const char *args, *wire; int exit = 0; const char *out = "", *reply = ""; };
constexpr Row kRows[] = {
    {"text 12.34", "FE03203132 2E3334FF"}, {"text AbCdEF", "FE03416243644546FF"}, {"dp 0", "FE1300FF"},
    {"dp 6", "FE1306FF"}, {"--port PTY flash", "FEFCFF"}, {"buzzer on", "FEFAFF"}, {"buzzer off", "FEFBFF"},
    {"output 1 on", "FEF9FF"}, {"output 1 off", "FEF8FF"}, {"output 2 on", "FEF6FF"},
    {"output 2 off", "FEF5FF"}, {"countdown 1 30 0", "FE01001E01FF"}, {"countdown 0 75 99", "FE01634B00FF"},
    {"countdown 0 2.5 .5", "FE01000200FF"}, {"start-stop", "FE11FF"}, {"countdown-reset", "FE21FF"},
    {"counter on", "FE05FF"}, {"counter off", "FE15FF"}, {"startup F1", "FE9000FF"}, {"startup f6", "FE9003FF"},
    {"module-speed 1200", "FE80ABFF"}, {"module-speed 19200", "FE800BFF"},
    {"time", "FEF7FF", 0, "9:07:05\n", "FE01050709FF"}, {"--speed 19200 time", "FEF7FF", 0, "23:59:42\n", "FE012A3B17FF"},
    {"temp", "FE04FF", 0, "25\n", "FE0310FF FE0419FF"}, {"--com 4 temp", "FE04FF", 0, "-10\n", "FE060AFF"},
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

TEST(cli_Veldctl, EachCommandSendsItsFrameAndSaysWhatCameBackOrWhy) {
    for (const Row& run : kRows) {
        SCOPED_TRACE(run.args);
        Veldctl v(QString::fromLatin1(run.args));
        const QByteArray sent = v.pty.receive(hex(run.wire).size());
        const int baud = QByteArray(run.args).contains("19200") ? 19200 : 9600;
        EXPECT_TRUE(!*run.reply || v.pty.baudRate() == baud) << v.pty.baudRate();
        v.pty.send(hex(run.reply), false);
        ASSERT_TRUE(v.p.waitForFinished());
        EXPECT_EQ(v.p.exitCode(), run.exit);
        const QByteArray text = run.exit ? v.p.readAllStandardError() : v.p.readAllStandardOutput();
        const QByteArray out = (run.exit ? "veldctl: " : "") + QByteArray(run.out);
        EXPECT_TRUE(text.startsWith(out) && text.isEmpty() == out.isEmpty()) << text.constData();
        EXPECT_TRUE(run.exit != 1 || text.contains("\nUsage: veldctl"));
        EXPECT_EQ((sent + v.pty.receiveFor(0)).toHex(' '), hex(run.wire).toHex(' '));
    }
}

TEST(cli_Veldctl, ClockSetsTheModulesClockToThePcTime) {
    Veldctl v(u"clock"_s);
    const QByteArray sent = v.pty.receive(6);
    const QTime now = QTime::currentTime();
    ASSERT_TRUE(v.p.waitForFinished());
    EXPECT_EQ(v.p.exitCode(), 0);
    ASSERT_EQ(sent.size(), 6);
    EXPECT_EQ(sent.left(2) + sent.right(1), hex("FE10FF"));
    EXPECT_LE(qAbs(QTime(sent[4], sent[3], sent[2]).secsTo(now)), 1) << sent.toHex(' ').data();
}

TEST(cli_Veldctl, WatchSaysEachMessageOfAStreamWithGarbageUntilEnded) {
    const std::pair<QString, QString> rows[] = {
        {u"watch"_s, u"button 1|temp 25|temp -10|count|count-reset|time 9:07:05"_s},
        {u"watch --json"_s, // to a pipe that closes
         uR"({"event":"button","button":1}|{"event":"temp","celsius":25,"fahrenheit":77}|)"
         uR"({"event":"temp","celsius":-10,"fahrenheit":14}|{"event":"count"}|)"
         uR"({"event":"count-reset"}|)"
         uR"({"event":"time","hours":9,"minutes":7,"seconds":5,"text":"9:07:05"})"_s}};
    for (auto [args, lines] : rows) {
        SCOPED_TRACE(args.toStdString());
        lines.replace(u'|', u'\n');
        const bool json = args.contains(u"json"_s);
        QProcess head; // as in: veldctl watch --json | head -n 6
        Veldctl v(args, json ? &head : nullptr);
        if (json)
            head.start(u"head"_s, {u"-n"_s, u"6"_s});
        ASSERT_TRUE(QTest::qWaitFor([&] { return v.pty.baudRate() == 9600; }));
        v.pty.send(hex("00 FE0310FF 55 FE0419FF FE060AFF FEFE0500FF 13FE3200FF FE01050709FF"),
                   false);
        QString out;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            out += QString::fromUtf8((json ? head : v.p).readAllStandardOutput());
            return out.trimmed() == lines;
        })) << out.toStdString();
        if (json) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return head.state() == QProcess::NotRunning; }));
            v.pty.send(hex("FE0310FF"), false); // to a closed pipe
        } else {
            v.p.terminate();
        }
        ASSERT_TRUE(v.p.waitForFinished());
        EXPECT_EQ(v.p.exitStatus(), json ? QProcess::NormalExit : QProcess::CrashExit);
        EXPECT_EQ(v.p.exitCode(), json ? 0 : SIGTERM);
        EXPECT_EQ(v.pty.baudRate(), 38400); // the pty's own: the port was closed first
    }
}

} // namespace
