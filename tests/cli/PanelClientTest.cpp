// veldctl while the panel (its own program, on a pty) holds the port: the
// frames go through the panel, the output and exit statuses are veldctl's own.
#include "support/ServedPanel.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using veld::test::hex;
using veld::test::ServedPanel;

namespace {
// The arguments (PTY: the pty's link), what the module hears, the exit status,
// how standard output (status 0) or error after "veldctl: " begins, and the
// module's reply once it has heard it. Full: the module reads nothing (and
// standard input has thousands of texts).
// clang-format off
struct Row { const char *args, *wire; int exit = 0; const char *out = "", *reply = ""; bool full = false; };
constexpr Row kRows[] = {
    {"--port PTY text 12", "FE0320202020 3132FF FE1300FF"},
    {"flash", "FEFCFF"}, // the one panel serving
    {"--port PTY time", "FEF7FF", 0, "9:07:05\n", "FE01050709FF"},
    {"--port PTY temp --fahrenheit", "FE04FF", 0, "14\n", "FE060AFF"},
    {"--port PTY --timeout 300 time", "FEF7FF", 3, "no answer from "},
    {"--port PTY --timeout 200 text -", "", 2, "frame not sent: ", "", true},
    {"--port PTY --speed 1200 flash", "", 1, "the panel's line speed is 9600 bit/s\n"},
    {"--port PTY dp 7", "", 1, "dp takes 0 (none) or a decimal point from 1 to 6"},
    {"--port PTY --direct flash", "", 2, "cannot open PTY: in use by PID "}};
// clang-format on

TEST(cli_PanelClient, ThroughThePanelTheFramesAndEachExitStatus) {
    for (const Row& run : kRows) {
        SCOPED_TRACE(run.args);
        ServedPanel served;
        if (run.full)
            served.pty.fillPanelsWay();
        const auto v = veldctl(served, QString::fromLatin1(run.args));
        // More than the kernel's 64 KiB of buffers for the pty, whatever room comes back.
        v->write(QByteArray("8\n").repeated(run.full ? 6000 : 0));
        v->closeWriteChannel();
        const QByteArray sent = run.full ? QByteArray() : served.pty.receive(hex(run.wire).size());
        served.pty.send(hex(run.reply), false);
        ASSERT_TRUE(v->state() == QProcess::NotRunning || v->waitForFinished());
        EXPECT_EQ(v->exitCode(), run.exit);
        const QByteArray text = run.exit ? v->readAllStandardError() : v->readAllStandardOutput();
        const QString out = (run.exit ? u"veldctl: "_s : QString()) + QString::fromLatin1(run.out);
        EXPECT_TRUE(
            text.startsWith(QString(out).replace(u"PTY"_s, served.pty.slavePath()).toUtf8()))
            << text.constData();
        EXPECT_EQ(sent.toHex(' '), hex(run.wire).toHex(' '));
    }
}

TEST(cli_PanelClient, TwoClientsAtOnceGiveWholeFramesEachInItsOrder) {
    ServedPanel served;
    std::unique_ptr<QProcess> clients[2]; // texts 1 to 100, and 101 to 200
    for (int c = 0; c < 2; ++c) {
        clients[c] = veldctl(served, u"--port PTY text -"_s);
        for (int n = 1; n <= 100; ++n)
            clients[c]->write(QByteArray::number(100 * c + n) + '\n');
        clients[c]->closeWriteChannel();
    }
    ASSERT_TRUE(clients[0]->waitForFinished() && clients[1]->waitForFinished());
    // Each text: its frame, then its decimal point's, whole and side by side.
    const QByteArray wire = served.pty.receive(200 * 13);
    int last[2] = {0, 100};
    for (qsizetype at = 0; at < 200 * 13; at += 13) {
        const QByteArray frames = wire.mid(at, 13);
        ASSERT_EQ(frames.left(2) + frames.mid(8, 3) + frames.right(1), hex("FE03 FFFE13 FF"));
        const int n = frames.mid(2, 6).trimmed().toInt();
        EXPECT_EQ(n, ++last[n > 100]);
    }
}

} // namespace
