// The serial control on real pseudo-terminal pairs and real lock files.
#include "serial/MSComm.h"
#include "serial/PortLock.h"
#include "support/Panel.h"

#include <QProcess>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <iostream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace Qt::StringLiterals;
using veld::serial::MSComm;
using veld::test::hex;
using veld::test::logged;
using veld::test::PtyPair;

namespace {

const auto write = [](MSComm& comm, const char* frame) {
    comm.setOutput(hex(frame).toStdString());
};

// How the control answers its callers: open, lost or closed; whether input
// comes within the wait; the bytes waiting and what a read takes.
std::string answers(MSComm& comm, int waitMs = 0) {
    const char* state = comm.portOpen() ? "open" : comm.isLost() ? "lost" : "closed";
    return state + std::string(comm.waitForInput(waitMs) ? " input " : " quiet ") +
           std::to_string(comm.inBufferCount()) + " " + comm.input().toHex().toStdString();
}

TEST(serial_MSComm, OpensSwitchesAndAppliesSettingsAtOnce) {
    PtyPair first, second;
    veld::test::Panel::map(1, first.slavePath());
    veld::test::Panel::map(2, u"/nonexistent/tty"_s);
    veld::test::Panel::map(3, second.slavePath());
    MSComm comm;
    ASSERT_TRUE(comm.setSettings(u"2400,n,8,1"_s) && comm.setPortOpen(true));
    EXPECT_EQ(first.baudRate(), 2400);
    write(comm, "fe1000000000ff");
    write(comm, "");
    EXPECT_EQ(first.receive(7), hex("fe1000000000ff"));
    EXPECT_TRUE(comm.setSettings(u"19200,n,8,1"_s));
    EXPECT_FALSE(comm.setSettings(u"9600, n,8,1"_s));
    EXPECT_TRUE(comm.failureCause().startsWith(u"line settings refused"_s));
    EXPECT_EQ(first.baudRate(), 19200);
    EXPECT_FALSE(comm.setCommPort(6));
    EXPECT_TRUE(comm.failureCause().startsWith(u"port number out of range"_s));
    EXPECT_TRUE(comm.setCommPort(2));
    EXPECT_FALSE(comm.setPortOpen(true)); // the open port stays
    EXPECT_EQ(comm.openDevice(), first.devicePath());
    EXPECT_TRUE(comm.setCommPort(3));
    EXPECT_TRUE(comm.setPortOpen(true));
    EXPECT_EQ(comm.failureCause(), QString());
    EXPECT_EQ(second.baudRate(), 19200);
    write(comm, "fef9ff");
    EXPECT_EQ(second.receive(3), hex("fef9ff"));
    EXPECT_TRUE(first.receiveFor(50).isEmpty());
}

TEST(serial_MSComm, RefusalsSayWhyAndLeaveAQuietClosedPort) {
    const std::pair<QString, QString> rows[] = {
        {u"/nonexistent/tty"_s, u"no such device"_s},
        {QCoreApplication::applicationFilePath(), u"not a serial device"_s},
        {u"/dev/null"_s, u"not a serial device"_s}};
    for (const auto& [path, cause] : rows) {
        MSComm comm;
        logged().clear();
        EXPECT_FALSE(comm.openPath(path));
        EXPECT_EQ(comm.failureCause(), cause);
        EXPECT_EQ(logged(), u"veld.serial: "_s + path + u" not opened: "_s + cause + u'\n');
        write(comm, "fefcff");
        EXPECT_EQ(answers(comm, 10), "closed quiet 0 ");
    }
}

TEST(serial_MSComm, OneDeviceUnderTwoNamesOpensOnceAndReadsUpToTheCapFindingNothingIsNoLoss) {
    PtyPair pty;
    MSComm comm, other;
    QSignalSpy lost(&comm, &MSComm::lost);
    ASSERT_TRUE(comm.openPath(pty.slavePath()));
    EXPECT_FALSE(comm.waitForInput(20));
    EXPECT_EQ(comm.openDevice(), pty.devicePath());
    EXPECT_TRUE(pty.endOfFileRead()); // a read of 0 bytes
    pty.send(hex("fe0500ff"));
    EXPECT_EQ(pty.takeAtPanel(2), hex("fe05")); // a second reader
    EXPECT_EQ(comm.input(), hex("00ff"));
    pty.send(hex("fe0500fffe0310ff000a"));
    EXPECT_TRUE(comm.openPath(pty.devicePath())); // the same device: not reopened
    EXPECT_TRUE(comm.waitForInput(2000));
    EXPECT_EQ(comm.inBufferCount(), 10);
    EXPECT_EQ(comm.input(), hex("fe0500fffe0310ff000a"));
    EXPECT_EQ(comm.inBufferCount(), 0);
    pty.send(QByteArray(3000, '\x05'));
    EXPECT_EQ(comm.inBufferCount(), MSComm::kReceiveBufferSize);
    EXPECT_EQ(comm.input().size(), MSComm::kReceiveBufferSize);
    EXPECT_GT(comm.inBufferCount(), 0); // the rest waited in the line
    EXPECT_FALSE(other.openPath(pty.devicePath()));
    EXPECT_TRUE(other.failureCause().startsWith(
        u"in use by PID %1 ("_s.arg(QCoreApplication::applicationPid())));
    EXPECT_TRUE(QFile::exists(veld::serial::portLockFile(pty.devicePath()))); // QSerialPort's
    EXPECT_FALSE(QFile::exists(veld::serial::portLockFile(pty.slavePath())));
    EXPECT_FALSE(lost.wait(50));
    EXPECT_TRUE(comm.portOpen());
    EXPECT_FALSE(comm.isLost());
    write(comm, "fefcff");
    EXPECT_EQ(pty.receive(3), hex("fefcff"));
}

// Each row one holder of the device in another process: an flock, or a lock
// file under one of its names (N its pty number, MMM.mmm its device numbers)
// holding its process number in one form or another. The panel's control and
// veldctl each open the port through a link, or refuse it naming the holder,
// also when asked for a second node of the device (which a pty cannot open:
// only a refusal can be tried there). A stale lock is removed, a live one left.
TEST(serial_MSComm, EveryLockConventionOfAnotherProgramIsHonoured) {
    // clang-format off
    const struct { const char *lock, *content, *refusal; bool secondNode = false; } rows[] = {
        {"flock", "", "in use by PID %1 (flock)"},
        {"LCK..N", "HDB", "in use by PID %1 (sleep)"},
        {"LCK..pts_N", "HDB", "in use by PID %1 (sleep)"},
        {"LCK.MMM.mmm", "HDB", "in use by PID %1 (sleep)"},
        {"LCK.MMM.mmm", "HDB", "in use by PID %1 (sleep)", true},
        {"LCK..pts_N", "  %1 minicom user\n", "in use by PID %1 (sleep)"},
        {"LCK..N", "%1\nsleep\nhost\n", "in use by PID %1 (sleep)"},
        {"LCK..pts_N", "binary", "in use by PID %1 (sleep)"},
        {"LCK..pts_N", "no number\n", "locked by another program: LOCK holds no process number"},
        {"LCK..pts_N", "link", "locked: LOCK is not a lock file; remove it when no program uses the port"},
        {"LCK..N", "  dead minicom user\n", ""},
        {"LCK.MMM.mmm", "dead HDB", ""}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.lock) + " " + row.content);
        QTemporaryDir locks;
        qputenv("VELD_LOCK_DIR", QFile::encodeName(locks.path()));
        PtyPair pty;
        const QString device = pty.devicePath();
        struct stat node {};
        ASSERT_EQ(::stat(QFile::encodeName(device).constData(), &node), 0);
        QString path = pty.slavePath();
        if (row.secondNode) {
            path = locks.filePath(u"second-node"_s);
            if (::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0600, node.st_rdev) != 0) {
                std::cout << "no second node without root; row left out\n";
                continue;
            }
        }
        const QByteArray content(row.content);
        const bool dead = content.contains("dead");
        QProcess holder;
        if (QByteArray(row.lock) == "flock")
            holder.start(u"flock"_s, {u"-x"_s, device, u"sleep"_s, u"30"_s});
        else
            holder.start(u"sleep"_s, {dead ? u"0"_s : u"30"_s});
        ASSERT_TRUE(holder.waitForStarted());
        const qint64 pid = holder.processId();
        ASSERT_TRUE(!dead || holder.waitForFinished());
        const QString lock = locks.filePath(
            QString::fromLatin1(row.lock)
                .replace(u"MMM.mmm"_s,
                         QString::asprintf("%03u.%03u", major(node.st_rdev), minor(node.st_rdev)))
                .replace(u'N', QFileInfo(device).fileName()));
        const auto binary = static_cast<qint32>(pid);
        const QByteArray written =
            content.endsWith("HDB") ? QByteArray::number(pid).rightJustified(10, ' ') + '\n'
            : content == "binary"
                ? QByteArray(reinterpret_cast<const char*>(&binary), 4)
                : QByteArray(content).replace("dead", "%1").replace("%1", QByteArray::number(pid));
        QFile file(lock);
        const bool made = content == "link" ? QFile::link(locks.filePath(u"elsewhere"_s), lock)
                          : content.isEmpty()
                              ? true
                              : file.open(QIODevice::WriteOnly) &&
                                    file.write(written) == written.size() && file.flush();
        ASSERT_TRUE(made);
        ASSERT_TRUE(QByteArray(row.lock) != "flock" ||
                    QTest::qWaitFor([&pty] { return pty.lockedByAnother(); }));
        const std::string refusal = QString::fromLatin1(row.refusal)
                                        .replace(u"%1"_s, QString::number(pid))
                                        .replace(u"LOCK"_s, lock)
                                        .toStdString();

        // veldctl first: a stale lock it removes is none of the user's business.
        QProcess veldctl;
        veldctl.start(QStringLiteral(VELDCTL_PROGRAM), {u"--port"_s, path, u"flash"_s});
        ASSERT_TRUE(veldctl.waitForFinished());
        EXPECT_EQ(veldctl.exitCode(), refusal.empty() ? 0 : 2);
        EXPECT_EQ(veldctl.readAllStandardError().toStdString(),
                  refusal.empty()
                      ? ""
                      : "veldctl: cannot open " + path.toStdString() + ": " + refusal + "\n");
        MSComm comm;
        EXPECT_EQ(comm.openPath(path), refusal.empty());
        EXPECT_EQ(comm.failureCause().toStdString(), refusal);
        comm.setPortOpen(false);
        EXPECT_EQ(QFileInfo::exists(lock) || QFileInfo(lock).isSymLink(),
                  !refusal.empty() && !content.isEmpty());
        holder.kill();
        holder.waitForFinished();
    }
}

// While the panel holds a port, another program's flock fails, and the lock
// files stand under every name that other programs look for, in HDB form.
TEST(serial_MSComm, AnOpenPortHoldsEveryKindOfLockUntilClosed) {
    PtyPair pty;
    struct stat node {};
    ASSERT_EQ(::stat(QFile::encodeName(pty.devicePath()).constData(), &node), 0);
    const QString folder = QFileInfo(veld::serial::portLockFile(pty.devicePath())).path();
    const QString number = QFileInfo(pty.devicePath()).fileName();
    const QStringList names{
        u"LCK..pts_"_s + number, u"LCK.."_s + number,
        QString::asprintf("LCK.%03u.%03u", major(node.st_rdev), minor(node.st_rdev))};
    const QByteArray hdb =
        QByteArray::number(QCoreApplication::applicationPid()).rightJustified(10, ' ') + '\n';
    {
        MSComm comm;
        ASSERT_TRUE(comm.openPath(pty.slavePath()));
        QProcess other;
        other.start(u"flock"_s, {u"-n"_s, u"-x"_s, pty.devicePath(), u"true"_s});
        ASSERT_TRUE(other.waitForFinished());
        EXPECT_EQ(other.exitCode(), 1);
        for (const QString& name : names) {
            QFile lock(folder + u'/' + name);
            EXPECT_TRUE(lock.open(QIODevice::ReadOnly)) << name.toStdString();
            EXPECT_EQ(lock.readAll(), hdb) << name.toStdString();
        }
    }
    for (const QString& name : names)
        EXPECT_FALSE(QFile::exists(folder + u'/' + name)) << name.toStdString();
}

TEST(serial_MSComm, LossIsToldOnceAndTheLineReopensWhenBack) {
    for (const bool hangUpOnly : {false, true}) {
        const QString cause = hangUpOnly ? u"hang-up from the device"_s : u"device gone: "_s;
        SCOPED_TRACE(cause.toStdString());
        PtyPair pty, back; // back: another device that comes under the same name
        veld::test::Panel::map(2, pty.slavePath());
        MSComm comm;
        QSignalSpy lost(&comm, &MSComm::lost);
        ASSERT_TRUE(comm.setCommPort(2) && comm.setPortOpen(true));
        logged().clear();
        if (!hangUpOnly)
            pty.closeMaster();
        else if (!pty.hangUp())
            GTEST_SKIP() << "hanging up a tty needs root";
        write(comm, "fefcff");
        EXPECT_EQ(answers(comm, -1), "lost quiet 0 ");
        ASSERT_TRUE(lost.wait());
        EXPECT_TRUE(lost.at(0).at(0).toString().startsWith(cause));
        EXPECT_FALSE(lost.wait(50));
        if (!hangUpOnly) {
            EXPECT_FALSE(comm.reopenLost()); // not back yet: nothing opened, nothing said
            ASSERT_TRUE(QFile::remove(pty.slavePath()) &&
                        QFile::link(back.devicePath(), pty.slavePath()));
        }
        EXPECT_EQ(logged().count(u'\n'), 1) << logged().toStdString();
        EXPECT_TRUE(logged().contains(u" lost: "_s + cause)) << logged().toStdString();
        PtyPair& now = hangUpOnly ? pty : back;
        EXPECT_TRUE(comm.reopenLost());
        EXPECT_EQ(answers(comm), "open quiet 0 ");
        EXPECT_EQ(comm.openDevice(), now.devicePath());
        write(comm, "fefcff");
        EXPECT_EQ(now.receive(3), hex("fefcff"));
        ASSERT_TRUE(comm.setPortOpen(false)); // closed on purpose: not reopened by itself
        EXPECT_FALSE(comm.reopenLost());
        EXPECT_EQ(answers(comm), "closed quiet 0 ");
    }
}

} // namespace
