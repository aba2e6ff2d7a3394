// The real veldctl on the stored port, COM4, which leads to a pty where the
// test plays the module; its frames and usage are the command table's test.
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

// The real program: the bytes on the wire, the exit status, how standard
// output (status 0) or standard error after "veldctl: " begins, and the
// module's reply once it has heard the bytes.
// clang-format off
struct Row { const char *args, *wire; int exit = 0; const char *out = "", *reply = ""; };
constexpr Row kRows[] = {
    {"text 12", "FE0320202020 3132FF"},
    {"time", "FEF7FF", 0, "9:07:05\n", "55 FE01050709FF"},
    {"--speed 19200 temp --fahrenheit", "FE04FF", 0, "14\n", "FE0310FF FE060AFF"},
    {"--timeout 300 time", "FEF7FF", 3, "no answer from "},
    {"--port /nonexistent/veld text 1", "", 2, "cannot open /nonexistent/veld: no such device\n"},
    {"dp 7", "", 1, "dp takes 0 (none) or a decimal point from 1 to 6, not '7'\nUsage: veldctl [OPTIONS] dp N\n"}};
// clang-format on

TEST(cli_Veldctl, ThePortTheSpeedTheAnswerAndTheExitStatus) {
    for (const Row& run : kRows) {
        SCOPED_TRACE(run.args);
        Veldctl v(QString::fromLatin1(run.args));
        const QByteArray sent = v.pty.receive(hex(run.wire).size());
        const int baud = QByteArray(run.args).contains("19200") ? 19200 : 9600;
        if (*run.reply) {
            EXPECT_EQ(v.pty.baudRate(), baud);
        }
        v.pty.send(hex(run.reply), false);
        ASSERT_TRUE(v.p.waitForFinished());
        EXPECT_EQ(v.p.exitCode(), run.exit);
        const QByteArray text = run.exit ? v.p.readAllStandardError() : v.p.readAllStandardOutput();
        const QByteArray out = (run.exit ? "veldctl: " : "") + QByteArray(run.out);
        EXPECT_TRUE(text.startsWith(out)) << text.constData();
        EXPECT_EQ(text.isEmpty(), out.isEmpty()) << text.constData();
        EXPECT_EQ((sent + v.pty.receiveFor(0)).toHex(' '), hex(run.wire).toHex(' '));
    }
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
        // Once veldctl holds the port, what comes is its to read.
        ASSERT_TRUE(QTest::qWaitFor([&] { return v.pty.lockedByAnother(); }));
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
