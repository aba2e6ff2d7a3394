// The real veldctl on the stored port, COM4, which leads to a pty where the
// test plays the module; its frames and usage are the command table's test.
#include "serial/PortLock.h"
#include "support/Panel.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using veld::test::hex;
using veld::test::Panel;
using veld::test::PtyPair;

namespace {

// veldctl started on a pty for the stored COM4 (made ready by `before`; PTY in
// the arguments is its path), its output piped to `pipe` if given.
struct Veldctl {
    explicit Veldctl(QString args, QProcess* pipe = nullptr,
                     const std::function<void(PtyPair&)>& before = {}) {
        Panel::store(u"CommPort"_s, u"4"_s);
        Panel::map(4, pty.slavePath());
        if (before)
            before(pty);
        if (pipe)
            p.setStandardOutputProcess(pipe);
        p.start(QStringLiteral(VELDCTL_PROGRAM),
                args.replace(u"PTY"_s, pty.slavePath()).split(u' '));
        EXPECT_TRUE(p.waitForStarted());
    }
    PtyPair pty;
    QProcess p;
};

// The bytes on the wire, the exit status, how standard output (status 0) or
// error after "veldctl: " begins, and the module's reply to them; without one
// it reads after the end. A full line is not read; no port stored, none opened.
enum class Line { Free, Full, NotStored };
// clang-format off
struct Row { const char *args, *wire; int exit = 0; const char *out = "", *reply = ""; Line line = Line::Free; };
constexpr Row kRows[] = {
    {"text 12", "FE0320202020 3132FF FE1300FF"},
    {"--speed 1200 text 12.5", "FE0320202031 3235FF FE1305FF"},
    {"--timeout 200 flash", "", 2, "frame not sent: ", "", Line::Full},
    {"flash", "", 1, "no port: give --port DEVICE or --com N", "", Line::NotStored},
    {"time", "FEF7FF", 0, "9:07:05\n", "55 FE01050709FF"},
    {"--speed 19200 temp --fahrenheit", "FE04FF", 0, "14\n", "FE0310FF FE060AFF"},
    {"--timeout 300 time", "FEF7FF", 3, "no answer from "},
    {"dp 7", "", 1, "dp takes 0 (none) or a decimal point from 1 to 6, not '7'\nUsage: veldctl [OPTIONS] dp N\n"}};
// clang-format on

TEST(cli_Veldctl, ThePortTheSpeedTheAnswerAndTheExitStatus) {
    for (const Row& run : kRows) {
        SCOPED_TRACE(run.args);
        Veldctl v(QString::fromLatin1(run.args), nullptr, [&run](PtyPair& pty) {
            if (run.line == Line::Full)
                pty.fillPanelsWay();
            else if (run.line == Line::NotStored)
                Panel::settings().remove(u"Properties/CommPort"_s);
        });
        ASSERT_TRUE(*run.reply || v.p.waitForFinished());
        const QByteArray sent = v.pty.receive(hex(run.wire).size());
        const QByteArray args(run.args);
        const bool opened = *run.wire || run.line == Line::Full; // a new pty is at 38400
        EXPECT_EQ(v.pty.baudRate(), !opened                  ? 38400
                                    : args.contains("19200") ? 19200
                                    : args.contains("1200")  ? 1200
                                                             : 9600);
        v.pty.send(hex(run.reply), false);
        ASSERT_TRUE(v.p.state() == QProcess::NotRunning || v.p.waitForFinished());
        EXPECT_EQ(v.p.exitCode(), run.exit);
        const QByteArray text = run.exit ? v.p.readAllStandardError() : v.p.readAllStandardOutput();
        const QByteArray out = (run.exit ? "veldctl: " : "") + QByteArray(run.out);
        EXPECT_TRUE(text.startsWith(out)) << text.constData();
        EXPECT_EQ(text.isEmpty(), out.isEmpty()) << text.constData();
        if (run.line != Line::Full) {
            EXPECT_EQ((sent + v.pty.receiveFor(0)).toHex(' ').toStdString(),
                      hex(run.wire).toHex(' ').toStdString());
        }
    }
}

TEST(cli_Veldctl, TextFromStandardInputHoldsThePortAndGoesOnPastARefusedLine) {
    Veldctl v(u"text -"_s);
    v.p.write("12\n");
    ASSERT_TRUE(v.p.waitForBytesWritten());
    EXPECT_EQ(v.pty.receive(13).toHex(' '), hex("FE0320202020 3132FF FE1300FF").toHex(' '));
    EXPECT_TRUE(v.pty.lockedByAnother());
    v.p.write("1234567\n3.4\n");
    v.p.closeWriteChannel();
    ASSERT_TRUE(v.p.waitForFinished());
    EXPECT_EQ(v.pty.receiveFor(0).toHex(' '), hex("FE0320202020 3334FF FE1305FF").toHex(' '));
    EXPECT_EQ(v.p.exitCode(), 1);
    EXPECT_EQ(v.p.readAllStandardError(),
              "veldctl: line 2: '1234567' has 7 characters; the display has 6\n");
}

TEST(cli_Veldctl, PortsListsWhatTheSystemFindsAsJsonLinesAndNoPty) {
    Veldctl v(u"ports --json"_s);
    ASSERT_TRUE(v.p.waitForFinished());
    EXPECT_EQ(v.p.exitCode(), 0);
    const QList<QByteArray> lines = v.p.readAllStandardOutput().split('\n');
    for (const QByteArray& line : lines.first(lines.size() - 1)) {
        const QJsonObject port = QJsonDocument::fromJson(line).object();
        EXPECT_TRUE(port.contains(u"device"_s)) << line.constData();
        EXPECT_TRUE(port[u"com"_s].isArray()) << line.constData();
        EXPECT_NE(port[u"device"_s].toString(), v.pty.devicePath());
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
        // Once veldctl has set the line up, what comes is its to read.
        ASSERT_TRUE(QTest::qWaitFor([&] { return v.pty.baudRate() == 9600; }));
        v.pty.send(hex("00 FE0310FF 55 FE0419FF FE060AFF FEFE0500FF 13FE3200FF FE01050709FF"),
                   false);
        QString out;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            out += QString::fromUtf8((json ? head : v.p).readAllStandardOutput());
            return out.trimmed() == lines;
        })) << out.toStdString();
        if (!json)
            v.p.terminate(); // else it ends with its reader, with no message to write
        ASSERT_TRUE(v.p.state() == QProcess::NotRunning || v.p.waitForFinished());
        EXPECT_EQ(v.p.exitStatus(), json ? QProcess::NormalExit : QProcess::CrashExit);
        EXPECT_EQ(v.p.exitCode(), json ? 0 : SIGTERM);
        // The port was closed first: its locks are gone.
        EXPECT_FALSE(QFile::exists(veld::serial::portLockFile(v.pty.devicePath())));
    }
}

} // namespace
