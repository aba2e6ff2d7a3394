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

// Each refusal: what the control is asked, the cause it keeps and logs, and the
// port left as it was: closed and quiet, or open at its speed and working.
TEST(serial_MSComm, RefusalsSayWhyAndLeaveThePortAsItWas) {
    PtyPair pty;
    // clang-format off
    const struct { const char* asked; QString value; const char* logged; const char* cause; } rows[] = {
        {"open", u"/nonexistent/tty"_s, "/nonexistent/tty not opened", "no such device"},
        {"open", QCoreApplication::applicationFilePath(), "%1 not opened", "not a serial device"},
        {"settings", u"9600, n,8,1"_s, "line settings \"9600, n,8,1\"", "line settings refused: expected speed,parity,data bits,stop bits such as \"9600,n,8,1\""},
        {"port", u"6"_s, "COM6", "port number out of range: 6 is not 1 to 5"}};
    // clang-format on
    for (const auto& [asked, value, what, cause] : rows) {
        SCOPED_TRACE(value.toStdString());
        MSComm comm;
        const bool open = qstrcmp(asked, "open") != 0; // the others are asked of an open port
        ASSERT_TRUE(!open ||
                    (comm.setSettings(u"19200,n,8,1"_s) && comm.openPath(pty.slavePath())));
        logged().clear();
        EXPECT_FALSE(qstrcmp(asked, "open") == 0       ? comm.openPath(value)
                     : qstrcmp(asked, "settings") == 0 ? comm.setSettings(value)
                                                       : comm.setCommPort(value.toInt()));
        EXPECT_EQ(comm.failureCause().toStdString(), cause);
        EXPECT_EQ(logged(),
                  u"veld.serial: %1: %2\n"_s.arg(QString::fromUtf8(what).replace(u"%1"_s, value),
                                                 QString::fromUtf8(cause)));
        write(comm, "fefcff");
        EXPECT_TRUE(comm.setSettings(u"19200,n,8,1"_s)); // a success forgets the cause
        EXPECT_EQ(comm.failureCause(), QString());
        if (open) {
            EXPECT_EQ(pty.baudRate(), 19200);
            EXPECT_EQ(pty.receive(3), hex("fefcff"));
        } else {
            EXPECT_EQ(answers(comm, 10), "closed quiet 0 ");
        }
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
    EXPECT_FALSE(comm.isLost());
    write(comm, "fefcff");
    EXPECT_EQ(pty.receive(3), hex("fefcff"));
}

// Each row a holder in another process, alive or ended: an flock, or a lock
// file (N the pty number, MMM.mmm the device numbers) holding its number as
// %1, HDB or 4 binary bytes. veldctl, then the control, open the port or refuse
// naming the holder (a second node can only refuse); a stale lock goes silently.
TEST(serial_MSComm, EveryLockConventionOfAnotherProgramIsHonoured) {
    // clang-format off
    const struct { const char *lock, *content, *refusal; bool ended = false, secondNode = false; } rows[] = {
        {"flock", "", "in use by PID %1 (flock)"}, {"LCK..N", "HDB", "in use by PID %1 (sleep)"},
        {"LCK..pts_N", "HDB", "in use by PID %1 (sleep)"}, {"LCK.MMM.mmm", "HDB", "in use by PID %1 (sleep)"},
        {"LCK.MMM.mmm", "HDB", "in use by PID %1 (sleep)", false, true},
        {"LCK..pts_N", "  %1 minicom user\n", "in use by PID %1 (sleep)"},
        {"LCK..N", "%1\nsleep\nhost\n", "in use by PID %1 (sleep)"}, {"LCK..pts_N", "binary", "in use by PID %1 (sleep)"},
        {"LCK..pts_N", "no number\n", "locked by another program: LOCK holds no process number"},
        {"LCK..pts_N", "link", "locked: LOCK is not a lock file; remove it when no program uses the port"},
        {"LCK..N", "  %1 minicom user\n", "", true}, {"LCK.MMM.mmm", "HDB", "", true}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.lock) + " " + row.content);
        QTemporaryDir locks;
        qputenv("VELD_LOCK_DIR", QFile::encodeName(locks.path()));
        PtyPair pty;
        struct stat node {};
        ASSERT_EQ(::stat(QFile::encodeName(pty.devicePath()).constData(), &node), 0);
        QString path = pty.slavePath();
        if (row.secondNode) {
            path = locks.filePath(u"second-node"_s);
            if (::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0600, node.st_rdev) != 0) {
                std::cout << "no second node without root; row left out\n";
                continue;
            }
        }
        const bool flock = qstrcmp(row.lock, "flock") == 0;
        QProcess holder;
        holder.start(flock ? u"flock"_s : u"sleep"_s,
                     flock ? QStringList{u"-x"_s, pty.devicePath(), u"sleep"_s, u"30"_s}
                           : QStringList{row.ended ? u"0"_s : u"30"_s});
        ASSERT_TRUE(holder.waitForStarted());
        const qint64 pid = holder.processId();
        ASSERT_TRUE(!row.ended || holder.waitForFinished());
        ASSERT_TRUE(!flock || QTest::qWaitFor([&pty] { return pty.lockedByAnother(); }));
        const QString lock = locks.filePath(
            QString::fromLatin1(row.lock)
                .replace(u"MMM.mmm"_s,
                         QString::asprintf("%03u.%03u", major(node.st_rdev), minor(node.st_rdev)))
                .replace(u'N', QFileInfo(pty.devicePath()).fileName()));
        const auto binary = static_cast<qint32>(pid);
        const QByteArray content(row.content);
        const QByteArray written =
            content == "HDB"      ? QByteArray::number(pid).rightJustified(10, ' ') + '\n'
            : content == "binary" ? QByteArray(reinterpret_cast<const char*>(&binary), 4)
                                  : QByteArray(content).replace("%1", QByteArray::number(pid));
        QFile file(lock);
        ASSERT_TRUE(content == "link" ? QFile::link(locks.filePath(u"elsewhere"_s), lock)
                    : content.isEmpty()
                        ? true
                        : file.open(QIODevice::WriteOnly) &&
                              file.write(written) == written.size() && file.flush());
        const std::string refusal = QString::fromLatin1(row.refusal)
                                        .replace(u"%1"_s, QString::number(pid))
                                        .replace(u"LOCK"_s, lock)
                                        .toStdString();
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

// While the panel holds a port, another program's flock fails, and HDB lock
// files stand under every name other programs look for, until it is closed.
TEST(serial_MSComm, AnOpenPortHoldsEveryKindOfLockUntilClosed) {
    PtyPair pty;
    struct stat node {};
    ASSERT_EQ(::stat(QFile::encodeName(pty.devicePath()).constData(), &node), 0);
    const QString lock = QFileInfo(veld::serial::portLockFile(pty.devicePath())).path() + u'/';
    const QString n = QFileInfo(pty.devicePath()).fileName();
    const QStringList names{
        lock + u"LCK..pts_"_s + n, lock + u"LCK.."_s + n,
        lock + QString::asprintf("LCK.%03u.%03u", major(node.st_rdev), minor(node.st_rdev))};
    auto comm = std::make_unique<MSComm>();
    ASSERT_TRUE(comm->openPath(pty.slavePath()));
    QProcess other;
    other.start(u"flock"_s, {u"-n"_s, u"-x"_s, pty.devicePath(), u"true"_s});
    ASSERT_TRUE(other.waitForFinished());
    EXPECT_EQ(other.exitCode(), 1);
    const QByteArray hdb =
        QByteArray::number(QCoreApplication::applicationPid()).rightJustified(10, ' ') + '\n';
    for (const QString& name : names) {
        QFile file(name);
        EXPECT_EQ(file.open(QIODevice::ReadOnly) ? file.readAll() : "(none)", hdb)
            << name.toStdString();
    }
    comm.reset();
    for (const QString& name : names)
        EXPECT_FALSE(QFile::exists(name)) << name.toStdString();
}

} // namespace
