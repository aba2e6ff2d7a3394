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
    // 200 messages, some cut across reads; in words and as JSON lines.
    const QByteArray burst = hex("FE0310FF FE0419FF FE0500FF FE01050709FF").repeated(50);
    const std::pair<const char*, QByteArray> rows[] = {
        {"watch\n", "button 1\ntemp 25\ncount\ntime 9:07:05\n"},
        {"--json watch\n", R"({"button":1,"event":"button"}
{"celsius":25,"event":"temp","fahrenheit":77}
{"event":"count"}
{"event":"time","hours":9,"minutes":7,"seconds":5,"text":"9:07:05"}
)"}};
    for (const auto& [request, each] : rows) {
        ServedPanel served;
        QLocalSocket client;
        client.connectToServer(served.socket());
        client.write(request);
        ASSERT_TRUE(QTest::qWaitFor([&] { return client.canReadLine(); }));
        ASSERT_EQ(client.readLine(), "ok\n");
        served.pty.send(burst, false);
        QByteArray lines;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return (lines += client.readAll()) == each.repeated(50); }, 10000))
            << lines.constData();
    }
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

TEST(app_ControlSocket, TheFolderIsThisUsersAloneAndTheSocket0600) {
    // XDG_RUNTIME_DIR set; the mode and owner of a folder made before (0: none); served.
    const std::tuple<bool, int, uid_t, bool> rows[] = {
        {true, 0, 0, true}, {false, 0, 0, true}, {false, 0755, 0, false}, {false, 0700, 1, false}};
    for (const auto& [runtime, mode, owner, serves] : rows) {
        SCOPED_TRACE(mode);
        if (owner != 0 && ::getuid() != 0)
            continue; // a folder of another user: as root only
        ServedPanel served(runtime, [&, mode = mode, owner = owner](const QString& folder) {
            const QByteArray path = QFile::encodeName(folder);
            ASSERT_TRUE(!mode || (::mkdir(path, 0) == 0 && ::chmod(path, mode_t(mode)) == 0 &&
                                  ::chown(path, ::getuid() + owner, ::getgid()) == 0));
        });
        ASSERT_TRUE(served.ready);
        EXPECT_EQ(modeOf(served.folder), mode ? mode : 0700);
        EXPECT_EQ(modeOf(served.socket()), serves ? 0600 : -1);
    }
}

TEST(app_ControlSocket, APeerOfAnotherUserIsRefusedByItsCredentials) {
    const QString socat = QStandardPaths::findExecutable(u"socat"_s);
    if (::getuid() != 0 || socat.isEmpty())
        GTEST_SKIP() << "needs root (a client of another user past the modes) and socat";
    ServedPanel served;
    QProcess other; // may pass the file modes, as root may, but is user 65534
    other.start(u"setpriv"_s, {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                               u"--inh-caps=+dac_override"_s, u"--ambient-caps=+dac_override"_s,
                               socat, u"-u"_s, u"UNIX-CONNECT:"_s + served.socket(), u"-"_s});
    ASSERT_TRUE(other.waitForFinished());
    EXPECT_EQ(other.readAllStandardOutput(),
              "error refused: only the panel's own user and root may use it\n");
}

TEST(app_ControlSocket, TheSocketGoesOnAChangeOfPortAndOnLoss) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    for (const bool change : {true, false}) {
        Panel p;
        p.open();
        const QString socket = runtime.filePath(
            u"veld/"_s + veld::common::controlSocket::nameFor(p.pty(1).devicePath()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket); }));
        if (change)
            p.pty(2), p.ui().mnuCOM2->trigger();
        else
            p.pty(1).closeMaster(), p.tick();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(socket); })) << change;
    }
}

TEST(app_ControlSocket, TheSocketGoesOnSigtermAndIsReplacedAfterSigkill) {
    for (const bool kill : {false, true}) {
        ServedPanel served;
        kill ? served.panel.kill() : served.panel.terminate();
        ASSERT_TRUE(served.panel.waitForFinished());
        EXPECT_EQ(QFile::exists(served.socket()), kill);
        if (kill) { // a panel on the same device serves it again
            served.start();
            EXPECT_TRUE(served.ready);
        }
    }
}

TEST(app_ControlSocket, VeldPortOpensThatDeviceForThisRunWithoutStoringIt) {
    ServedPanel served;
    EXPECT_TRUE(QFile::exists(served.socket()));
    EXPECT_TRUE(Panel::stored(u"CommPort"_s).isEmpty());
}

} // namespace
