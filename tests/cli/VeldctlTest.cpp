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
// it reads after the end. Without a wire no port is stored. Rows run in order.
// clang-format off
struct Row { const char *args, *wire; int exit = 0; const char *out = "", *reply = ""; };
constexpr Row kRows[] = {
    {"text 12", "FE0320202020 3132FF FE1300FF"},
    {"--speed 1200 text 12.5", "FE0320202031 3235FF FE1305FF"},
    {"flash", "", 1, "no port: give --port DEVICE or --com N"},
    {"time", "FEF7FF", 0, "9:07:05\n", "55 FE01050709FF"},
    {"--speed 19200 temp --fahrenheit", "FE04FF", 0, "14\n", "FE0310FF FE060AFF"},
    {"--timeout 300 time", "FEF7FF", 3, "no answer from "},
    // COM3 stored and removed in the settings file as the Assign Ports dialog does.
    {"assign COM3 /tmp/m", ""}, {"assign", "", 0, "COM1\t/dev/ttyS0\tdefault\nCOM2\t/dev/ttyS1\tdefault\nCOM3\t/tmp/m\tsettings\n"},
    {"assign com3 --clear", ""}, {"assign", "", 0, "COM1\t/dev/ttyS0\tdefault\nCOM2\t/dev/ttyS1\tdefault\nCOM3\t/dev/ttyS2\tdefault\n"}};
// clang-format on

TEST(cli_Veldctl, ThePortTheSpeedTheAnswerAndTheExitStatus) {
    for (const Row& run : kRows) {
        SCOPED_TRACE(run.args);
        Veldctl v(QString::fromLatin1(run.args), nullptr, [&run](PtyPair&) {
            if (!*run.wire)
                Panel::settings().remove(u"Properties/CommPort"_s);
        });
        ASSERT_TRUE(*run.reply || v.p.waitForFinished());
        const QByteArray sent = v.pty.receive(hex(run.wire).size());
        const QByteArray args(run.args);
        EXPECT_EQ(v.pty.baudRate(), !*run.wire               ? 38400 // as a new pty is
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
        EXPECT_EQ((sent + v.pty.receiveFor(0)).toHex(' '), hex(run.wire).toHex(' '));
    }
}

// text -: standard input, what reaches the module, the exit status and standard
// error. Exit 2: the module's end goes away after line 1; Keep: input left open.
enum class Input { Ends, Keep };
// clang-format off
struct StreamRow { const char *in, *wire; int exit; const char* said; Input input = Input::Ends; };
constexpr StreamRow kStreams[] = {
    {"12\r\n3.4\r\n", "FE0320202020 3132FF FE1300FF FE0320202020 3334FF FE1305FF", 0, ""},
    {"1234567\n3.4", "FE0320202020 3334FF FE1305FF", 1, "line 1: '1234567' has 7 characters; the display has 6\n"},
    {"1\n2\n3\n", "FE0320202020 2031FF FE1300FF", 2, "line 2: lost PTY; lines 2 to 3 not shown\n"},
    {"1\n2\n", "FE0320202020 2031FF FE1300FF", 2, "line 2: lost PTY; line 2 and after not shown\n", Input::Keep}};
// clang-format on

TEST(cli_Veldctl, TextFromStandardInputShowsLinesAndTellsWhatIsNot) {
    for (const StreamRow& row : kStreams) {
        SCOPED_TRACE(row.in);
        Veldctl v(u"text -"_s);
        const QByteArray in(row.in);
        const bool lose = row.exit == 2;
        ASSERT_TRUE(v.p.write(lose ? in.left(2) : in) > 0 && v.p.waitForBytesWritten());
        if (!lose)
            v.p.closeWriteChannel();
        const QByteArray wire = hex(row.wire);
        EXPECT_EQ(v.pty.receive(wire.size()).toHex(' '), wire.toHex(' '));
        if (lose) {
            v.pty.closeMaster();
            ASSERT_TRUE(v.p.write(in.mid(2)) > 0 && v.p.waitForBytesWritten());
            if (row.input == Input::Ends)
                v.p.closeWriteChannel();
        }
        ASSERT_TRUE(v.p.waitForFinished());
        EXPECT_EQ(v.p.exitCode(), row.exit);
        EXPECT_EQ(QString::fromUtf8(v.p.readAllStandardError()),
                  (*row.said ? u"veldctl: "_s : u""_s) +
                      QString::fromUtf8(row.said).replace(u"PTY"_s, v.pty.slavePath()));
    }
}

// A write stalled by a module that does not read, ended by its --timeout or
// at once by a signal: nothing of it is left queued, the lock is gone.
TEST(cli_Veldctl, AStalledFrameIsDiscardedAtTimeoutOrSignal) {
    for (const int signalNumber : {0, SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        Veldctl v(u"--timeout %1 text 12"_s.arg(signalNumber ? 20000 : 200), nullptr,
                  [](PtyPair& pty) { pty.fillPanelsWay(); });
        if (signalNumber) {
            ASSERT_TRUE(QTest::qWaitFor([&v] { return v.pty.lockedByAnother(); }));
            ASSERT_EQ(::kill(static_cast<pid_t>(v.p.processId()), signalNumber), 0);
        }
        ASSERT_TRUE(v.p.waitForFinished(5000)); // not the 20 s of its timeout
        EXPECT_EQ(v.p.exitStatus(), signalNumber ? QProcess::CrashExit : QProcess::NormalExit);
        EXPECT_EQ(v.p.exitCode(), signalNumber ? signalNumber : 2);
        const QString said = u"veldctl: frame not sent: %1 is not taking data\n"_s;
        EXPECT_EQ(QString::fromUtf8(v.p.readAllStandardError()),
                  signalNumber ? QString() : said.arg(v.pty.slavePath()));
        EXPECT_FALSE(QFile::exists(veld::serial::portLockFile(v.pty.devicePath())));
        // The module reads again: what stood in the queue is gone, but for its
        // own read buffer, and the next frame comes whole after it.
        const QByteArray left = v.pty.receiveFor(200);
        EXPECT_TRUE(left.size() <= 4095 && !left.contains('\xFE')) << left.size();
        QProcess next;
        next.start(QStringLiteral(VELDCTL_PROGRAM),
                   {u"--port"_s, v.pty.slavePath(), u"text"_s, u"7"_s});
        ASSERT_TRUE(next.waitForFinished());
        EXPECT_EQ(v.pty.receive(13).toHex(' '), hex("FE0320202020 2037FF FE1300FF").toHex(' '));
    }
}

TEST(cli_Veldctl, PortsListsWhatTheSystemFindsAsJsonLinesAndNoPty) {
    Veldctl v(u"ports --json"_s);
    ASSERT_TRUE(v.p.waitForFinished());
    EXPECT_EQ(v.p.exitCode(), 0);
    for (const QByteArray& line : v.p.readAllStandardOutput().split('\n')) {
        const QJsonObject port = QJsonDocument::fromJson(line).object();
        EXPECT_TRUE(line.isEmpty() || (port.contains(u"device"_s) && port[u"com"_s].isArray()))
            << line.constData();
        EXPECT_NE(port[u"device"_s].toString(), v.pty.devicePath());
    }
}

// As in veldctl watch --json | head -n 6: a stream with garbage between the
// messages, one object a line ('|' here), until the reader goes.
TEST(cli_Veldctl, WatchSaysEachMessageAsJsonUntilItsReaderGoes) {
    QString lines =
        uR"({"button":1,"event":"button"}|{"celsius":25,"event":"temp","fahrenheit":77}|)"
        uR"({"celsius":-10,"event":"temp","fahrenheit":14}|{"event":"count"}|)"
        uR"({"event":"count-reset"}|)"
        uR"({"event":"time","hours":9,"minutes":7,"seconds":5,"text":"9:07:05"})"_s;
    lines.replace(u'|', u'\n');
    QProcess head;
    Veldctl v(u"watch --json"_s, &head);
    head.start(u"head"_s, {u"-n"_s, u"6"_s});
    // Once veldctl has set the line up, what comes is its to read.
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.pty.baudRate() == 9600; }));
    v.pty.send(hex("00 FE0310FF 55 FE0419FF FE060AFF FEFE0500FF 13FE3200FF FE01050709FF"), false);
    QString out;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return (out += QString::fromUtf8(head.readAllStandardOutput())).trimmed() == lines;
    })) << out.toStdString();
    ASSERT_TRUE(v.p.state() == QProcess::NotRunning || v.p.waitForFinished());
    EXPECT_EQ(v.p.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(veld::serial::portLockFile(v.pty.devicePath())));
}

} // namespace
