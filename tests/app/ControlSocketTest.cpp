// The panel's control socket: who may use it, where it lies and for how long,
// and what a client sees and leaves in the traffic.
#include "support/Panel.h"
#include "support/ServedPanel.h"

#include <QLocalSocket>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using veld::test::hex;
using veld::test::Panel;
using veld::test::ServedPanel;

namespace {

int modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

TEST(app_ControlSocket, AWatchClientGetsEachMessageThePanelDecodes) {
    ServedPanel served;
    QLocalSocket client;
    client.connectToServer(served.socket());
    client.write("watch\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.canReadLine(); }));
    ASSERT_EQ(client.readLine(), "ok\n");
    QByteArray burst, expected;
    for (int n = 0; n < 50; ++n) { // 200 messages, some cut across reads
        burst += hex("FE0310FF FE0419FF FE0500FF FE01050709FF");
        expected += "button 1\ntemp 25\ncount\ntime 9:07:05\n";
    }
    served.pty.send(burst, false);
    QByteArray lines;
    EXPECT_TRUE(QTest::qWaitFor([&] { return (lines += client.readAll()) == expected; }, 10000))
        << lines.constData();
}

TEST(app_ControlSocket, TheTrafficMarksAClientsFrameWithItsNameAndPid) {
    ServedPanel served;
    const auto v = veldctl(served, u"--port PTY flash"_s);
    const qint64 pid = v->processId();
    ASSERT_TRUE(v->waitForFinished());
    QFile log(served.log());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains(
        u">> FE FC FF  toggle flashing  (veldctl, PID %1)\n"_s.arg(pid).toUtf8()));
}

// Whether XDG_RUNTIME_DIR is set, the mode and owner of a folder made before
// the panel starts (mode 0: none made), and whether the panel then serves.
struct ModeRow {
    bool runtime;
    int madeMode;
    uid_t madeOwner;
    bool serves;
};
constexpr ModeRow kModeRows[] = {
    {true, 0, 0, true}, {false, 0, 0, true}, {false, 0755, 0, false}, {false, 0700, 65534, false}};

TEST(app_ControlSocket, TheFolderIsThisUsersAloneAndTheSocket0600) {
    for (const ModeRow& row : kModeRows) {
        SCOPED_TRACE(row.madeMode);
        if (row.madeOwner != 0 && ::getuid() != 0)
            continue; // another owner only as root
        ServedPanel served(row.runtime, [&row](const QString& folder) {
            if (row.madeMode != 0 &&
                (::mkdir(QFile::encodeName(folder), mode_t(row.madeMode)) != 0 ||
                 ::chmod(QFile::encodeName(folder), mode_t(row.madeMode)) != 0 ||
                 (row.madeOwner && ::chown(QFile::encodeName(folder), row.madeOwner, 0) != 0)))
                ADD_FAILURE() << "folder not made";
        });
        ASSERT_TRUE(served.ready);
        EXPECT_EQ(modeOf(served.folder), row.madeMode ? row.madeMode : 0700);
        EXPECT_EQ(modeOf(served.socket()), row.serves ? 0600 : -1);
    }
}

TEST(app_ControlSocket, APeerOfAnotherUserIsRefusedByItsCredentials) {
    const QString socat = QStandardPaths::findExecutable(u"socat"_s);
    if (::getuid() != 0 || socat.isEmpty())
        GTEST_SKIP() << "needs root, to run a client as another user past the modes, and socat";
    ServedPanel served;
    QProcess other; // may pass the file modes, as root may, but is user 65534
    other.start(u"setpriv"_s, {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                               u"--inh-caps=+dac_override"_s, u"--ambient-caps=+dac_override"_s,
                               socat, u"-u"_s, u"UNIX-CONNECT:"_s + served.socket(), u"-"_s});
    ASSERT_TRUE(other.waitForFinished());
    EXPECT_EQ(other.readAllStandardOutput(),
              "error refused: only the panel's own user and root may use it\n");
}

enum class End { ChangeOfPort, Loss, WindowClosed };
TEST(app_ControlSocket, TheSocketGoesWithThePort) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    for (const End end : {End::ChangeOfPort, End::Loss, End::WindowClosed}) {
        SCOPED_TRACE(int(end));
        QString socket;
        {
            Panel p;
            p.open();
            socket = runtime.filePath(u"veld/"_s +
                                      veld::common::controlSocket::nameFor(p.pty(1).devicePath()));
            ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket); }));
            if (end == End::ChangeOfPort) {
                p.pty(2);
                p.ui().mnuCOM2->trigger();
            } else if (end == End::Loss) {
                p.pty(1).closeMaster();
                p.tick();
            }
            const bool gone = QTest::qWaitFor([&] { return !QFile::exists(socket); }, 2000);
            EXPECT_EQ(gone, end != End::WindowClosed);
        }
        EXPECT_FALSE(QFile::exists(socket));
    }
}

TEST(app_ControlSocket, TheSocketGoesOnSigtermAndIsReplacedAfterSigkill) {
    for (const bool kill : {false, true}) {
        ServedPanel served;
        ASSERT_TRUE(QFile::exists(served.socket()));
        kill ? served.panel.kill() : served.panel.terminate();
        ASSERT_TRUE(served.panel.waitForFinished());
        EXPECT_EQ(QFile::exists(served.socket()), kill);
        if (!kill)
            continue;
        QProcess again; // on the same device: a stale socket is no refusal
        again.start(QStringLiteral(VELD_PANEL_PROGRAM), {u"--port"_s, served.pty.devicePath()});
        served.pty.receive(3);
        const auto v = veldctl(served, u"--port PTY flash"_s);
        EXPECT_EQ(served.pty.receive(3), hex("FEFCFF"));
        EXPECT_TRUE(v->waitForFinished() && v->exitCode() == 0);
        again.terminate();
        again.waitForFinished();
    }
}

TEST(app_ControlSocket, VeldPortOpensThatDeviceForThisRunWithoutStoringIt) {
    ServedPanel served;
    EXPECT_TRUE(QFile::exists(served.socket()));
    EXPECT_TRUE(Panel::stored(u"CommPort"_s).isEmpty());
}

} // namespace
