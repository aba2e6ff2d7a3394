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

// text -: standard input given at once, what reaches the module, the exit
// status and standard error; Keep: the input is left open after it.
enum class Input { Ends, Keep };
struct StreamRow {
    const char *in, *wire;
    int exit;
    const char* said;
    Input input = Input::Ends;
};
constexpr StreamRow kStreams[] = {
    {"12\r\n3.4\r\n", "FE0320202020 3132FF FE1300FF FE0320202020 3334FF FE1305FF", 0, ""},
    {"1234567\n3.4", "FE0320202020 3334FF FE1305FF", 1,
     "line 1: '1234567' has 7 characters; the display has 6\n"},
    // The module's end goes away after line 1.
    {"1\n2\n3\n", "FE0320202020 2031FF FE1300FF", 2, "line 2: lost PTY; lines 2 to 3 not shown\n"},
    {"1\n2\n", "FE0320202020 2031FF FE1300FF", 2, "line 2: lost PTY; line 2 and after not shown\n",
     Input::Keep}};

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
            EXPECT_TRUE(v.pty.lockedByAnother()); // held open between lines
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
        Veldctl v(signalNumber ? u"--timeout 20000 text 12"_s : u"--timeout 200 text -"_s, nullptr,
                  [](PtyPair& pty) { pty.fillPanelsWay(); });
        if (!signalNumber) {
            ASSERT_TRUE(v.p.write("12\n") > 0 && v.p.waitForBytesWritten());
        } else {
            ASSERT_TRUE(QTest::qWaitFor([&v] { return v.pty.lockedByAnother(); }));
            ASSERT_EQ(::kill(static_cast<pid_t>(v.p.processId()), signalNumber), 0);
        }
        ASSERT_TRUE(v.p.waitForFinished(5000)); // not the 20 s of its timeout
        EXPECT_EQ(v.p.exitStatus(), signalNumber ? QProcess::CrashExit : QProcess::NormalExit);
        EXPECT_EQ(v.p.exitCode(), signalNumber ? signalNumber : 2);
        EXPECT_EQ(QString::fromUtf8(v.p.readAllStandardError()),
                  signalNumber ? u""_s
                               : u"veldctl: line 1: frame not sent: %1 is not taking data; line 1 "
                                 u"and after not shown\n"_s.arg(v.pty.slavePath()));
        EXPECT_FALSE(QFile::exists(veld::serial::portLockFile(v.pty.devicePath())));
        // The module reads again: what stood in the queue is gone, but for its
        // own read buffer, and the next frame comes whole after it.
        const QByteArray left = v.pty.receiveFor(200);
        EXPECT_LE(left.size(), 4095);
        EXPECT_FALSE(left.contains('\xFE'));
        QProcess next;
        next.start(QStringLiteral(VELDCTL_PROGRAM),
                   {u"--port"_s, v.pty.slavePath(), u"text"_s, u"7"_s});
        ASSERT_TRUE(next.waitForFinished());
        EXPECT_EQ(v.pty.receive(13).toHex(' '), hex("FE0320202020 2037FF FE1300FF").toHex(' '));
    }
}

// COM3 assigned and cleared as the Assign Ports dialog does: the settings
// file holds it, and veldctl assign lists it.
TEST(cli_Veldctl, AssignStoresAndClearsACOMItemInTheSettings) {
    const std::tuple<QString, QVariant, QString> rows[] = {
        {u"assign COM3 /tmp/m"_s, u"/tmp/m"_s, u"COM3\t/tmp/m\tsettings"_s},
        {u"assign com3 --clear"_s, QVariant(), u"COM3\t/dev/ttyS2\tdefault"_s}};
    for (const auto& [args, stored, listed] : rows) {
        Veldctl v(args);
        ASSERT_TRUE(v.p.waitForFinished());
        EXPECT_EQ(v.p.exitCode(), 0) << v.p.readAllStandardError().constData();
        EXPECT_EQ(Panel::settings().value(u"Ports/COM3"_s), stored);
        Veldctl list(u"assign"_s);
        ASSERT_TRUE(list.p.waitForFinished());
        EXPECT_TRUE(QString::fromUtf8(list.p.readAllStandardOutput()).contains(listed + u'\n'));
    }
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
        {u"watch --json"_s, // to a pipe that closes; '|' between the lines
         uR"({"button":1,"event":"button"}|{"celsius":25,"event":"temp","fahrenheit":77}|)"
         uR"({"celsius":-10,"event":"temp","fahrenheit":14}|{"event":"count"}|)"
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
