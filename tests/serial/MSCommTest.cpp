// The serial control on real pseudo-terminal pairs and real lock files.
#include "serial/MSComm.h"
#include "serial/PortLock.h"
#include "support/Panel.h"

#include <QProcess>
#include <QSignalSpy>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <thread>

using namespace Qt::StringLiterals;
using veld::serial::MSComm;
using veld::test::hex;
using veld::test::logged;
using veld::test::PtyPair;

namespace {

const auto write = [](MSComm& comm, const char* frame) {
    comm.setOutput(hex(frame).toStdString());
};

// Each refusal: what the control is asked, the cause it keeps and logs, and the
// port left as it was: closed and quiet, or open at its speed and working.
TEST(serial_MSComm, RefusalsSayWhyAndLeaveThePortAsItWas) {
    PtyPair pty;
    // clang-format off
    const struct { const char* asked; QString value; const char* logged; const char* cause; } rows[] = {
        {"open", u"/nonexistent/tty"_s, "/nonexistent/tty not opened", "no such device"},
        {"open", QCoreApplication::applicationFilePath(), "%1 not opened", "not a serial device"},
        {"open", u"/dev/ptmx"_s, "/dev/ptmx not opened", "not a serial device"},
        {"settings", u"9600, n,8,1"_s, "line settings \"9600, n,8,1\"", "line settings refused: expected speed,parity,data bits,stop bits such as \"9600,n,8,1\""},
        {"settings", u"9600,n,8,1,9600,n,8,1,9600,n,8,1,9600,n,8"_s, "line settings \"9600,n,8,1,9600,n,8,1,9600,n,8,1,9600,n,…\"", "line settings refused: expected speed,parity,data bits,stop bits such as \"9600,n,8,1\""},
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
        EXPECT_EQ(open ? pty.baudRate() : comm.waitForInput(10), open ? 19200 : 0);
        EXPECT_EQ(open ? pty.receive(3) : comm.input(), open ? hex("fefcff") : QByteArray());
    }
}

// The device opened through a link, then asked for by its own name: the same
// control keeps it open with its waiting bytes, another one is refused.
TEST(serial_MSComm, TheSameDeviceUnderAnotherNameIsNotOpenedTwice) {
    for (const bool sameControl : {true, false}) {
        PtyPair pty;
        MSComm comm, other;
        ASSERT_TRUE(comm.openPath(pty.slavePath()));
        pty.send(hex("fe0500ff"));
        EXPECT_EQ((sameControl ? comm : other).openPath(pty.devicePath()), sameControl);
        if (sameControl)
            EXPECT_EQ(comm.input(), hex("fe0500ff"));
        else
            EXPECT_TRUE(other.failureCause().startsWith(
                u"in use by PID %1 ("_s.arg(QCoreApplication::applicationPid())));
    }
}

TEST(serial_MSComm, InputTakesWhatWaitsUpToTheReceiveBuffer) {
    PtyPair pty;
    MSComm comm;
    ASSERT_TRUE(comm.openPath(pty.slavePath()));
    pty.send(QByteArray(3000, '\x05'));
    EXPECT_EQ(comm.inBufferCount(), MSComm::kReceiveBufferSize);
    EXPECT_EQ(comm.input().size(), MSComm::kReceiveBufferSize);
    EXPECT_GT(comm.inBufferCount(), 0); // the rest waited in the line
}

// An empty read (end of file), and another program taking bytes: no loss.
TEST(serial_MSComm, FindingNothingToReadIsNoLoss) {
    PtyPair pty;
    MSComm comm;
    QSignalSpy lost(&comm, &MSComm::lost);
    ASSERT_TRUE(comm.openPath(pty.slavePath()));
    EXPECT_TRUE(pty.endOfFileRead());
    pty.send(hex("fe0500ff"));
    EXPECT_EQ(pty.takeAtPanel(2), hex("fe05"));
    EXPECT_EQ(comm.input(), hex("00ff"));
    EXPECT_FALSE(lost.wait(50));
    write(comm, "fefcff");
    EXPECT_EQ(pty.receive(3), hex("fefcff"));
}

// Each row a holder in another process, alive or ended, and its lock: an flock,
// or a file (named as PtyPair::lockName reads) written `age` s ago holding HDB
// (the number in ten characters), "binary" (4 bytes), "late" (empty until first
// read, then HDB), a link, or the text given with %1 for the number. The
// control opens the port or refuses naming the holder; a stale lock goes.
TEST(serial_MSComm, EveryLockConventionAndContentIsJudged) {
    const char* inUse = "in use by PID %1 (sleep)";
    const char* writing = "locked: LOCK is being written (no process number in it yet); try "
                          "again in a few seconds";
    // A stale lock: not a refusal, the port opens and the log says what went.
    const char *ended = "stale lock LOCK of PID %1 removed",
               *noPid = "stale lock LOCK with no process number removed";
    // clang-format off
    const struct { const char *lock, *content; int age; const char* refusal; bool ended = false; } rows[] = {
        {"flock", "", 0, "in use by PID %1 (flock)"}, {"LCK..N", "HDB", 0, inUse},
        {"LCK..pts_N", "HDB", 0, inUse}, {"LCK.MMM.mmm", "HDB", 0, inUse},
        {"LCK..pts_N", "  %1 minicom user\n", 0, inUse}, {"LCK..N", "%1\nsleep\nhost\n", 0, inUse},
        {"LCK..pts_N", "binary", 0, inUse}, {"LCK..pts_N", "late", 0, inUse},
        {"LCK..pts_N", "link", 0, "locked: LOCK is not a lock file; remove it when no program uses the port"},
        {"LCK..N", "  %1 minicom user\n", 0, ended, true}, {"LCK.MMM.mmm", "HDB", 0, ended, true},
        {"LCK..pts_N", "1099511627776\n", 0, writing}, {"LCK..pts_N", "1099511627776\n", 60, noPid},
        {"LCK..pts_N", "4294967297\n", 60, noPid}, {"LCK..pts_N", "0\n", 60, noPid},
        {"LCK..pts_N", "-5\n", 60, noPid}, {"LCK..pts_N", "", 60, noPid}, {"LCK..pts_N", "garbage\n", 60, noPid}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.lock) + " " + row.content);
        QTemporaryDir locks;
        qputenv("VELD_LOCK_DIR", QFile::encodeName(locks.path()));
        PtyPair pty;
        const bool flock = qstrcmp(row.lock, "flock") == 0;
        QProcess holder;
        holder.start(flock ? u"flock"_s : u"sleep"_s,
                     flock ? QStringList{u"-x"_s, pty.devicePath(), u"sleep"_s, u"30"_s}
                           : QStringList{row.ended ? u"0"_s : u"30"_s});
        ASSERT_TRUE(holder.waitForStarted());
        const qint64 pid = holder.processId();
        ASSERT_TRUE(!row.ended || holder.waitForFinished());
        ASSERT_TRUE(!flock || QTest::qWaitFor([&pty] { return pty.lockedByAnother(); }));
        const QString lock = locks.filePath(pty.lockName(row.lock));
        const auto binary = static_cast<qint32>(pid);
        const QByteArray content(row.content),
            hdb = QByteArray::number(pid).rightJustified(10, ' ') + '\n';
        const QByteArray written =
            content == "HDB"      ? hdb
            : content == "binary" ? QByteArray(reinterpret_cast<const char*>(&binary), 4)
            : content == "late"   ? QByteArray()
                                  : QByteArray(content).replace("%1", QByteArray::number(pid));
        ASSERT_TRUE(flock || (content == "link" ? QFile::link(locks.filePath(u"elsewhere"_s), lock)
                                                : veld::test::plantLock(lock, written, row.age)));
        // "late": HDB written once the control has found the file empty.
        const int watch = ::inotify_init1(IN_CLOEXEC);
        ::inotify_add_watch(watch, QFile::encodeName(lock).constData(), IN_CLOSE_NOWRITE);
        std::thread late([&] {
            pollfd read{watch, POLLIN, 0};
            EXPECT_TRUE(content != "late" ||
                        (::poll(&read, 1, 5000) > 0 && veld::test::plantLock(lock, hdb)));
        });
        const std::string refusal = QString::fromLatin1(row.refusal)
                                        .replace(u"%1"_s, QString::number(pid))
                                        .replace(u"LOCK"_s, lock)
                                        .toStdString();
        const bool stale = refusal.starts_with("stale lock ");
        MSComm comm;
        logged().clear();
        EXPECT_EQ(comm.openPath(pty.slavePath()), stale);
        late.join();
        ::close(watch);
        EXPECT_EQ(comm.failureCause().toStdString(), stale ? "" : refusal);
        EXPECT_EQ(logged().contains(QString::fromStdString("veld.serial: " + refusal + '\n')),
                  stale);
        comm.setPortOpen(false);
        EXPECT_EQ(QFileInfo::exists(lock) || QFileInfo(lock).isSymLink(), !stale && !flock);
        holder.kill();
        holder.waitForFinished();
    }
}

// While the panel holds a port, it holds an flock on the device, and HDB lock
// files stand under every name other programs look for, until it is closed.
TEST(serial_MSComm, AnOpenPortHoldsEveryKindOfLockUntilClosed) {
    PtyPair pty;
    const QString folder = QFileInfo(veld::serial::portLockFile(pty.devicePath())).path() + u'/';
    const auto names = {"LCK..pts_N", "LCK..N", "LCK.MMM.mmm"};
    auto comm = std::make_unique<MSComm>();
    ASSERT_TRUE(comm->openPath(pty.slavePath()));
    EXPECT_TRUE(pty.lockedByAnother());
    for (const char* name : names) {
        QFile file(folder + pty.lockName(name));
        EXPECT_EQ(file.open(QIODevice::ReadOnly) ? file.readAll() : "(none)",
                  QByteArray::number(QCoreApplication::applicationPid()).rightJustified(10, ' ') +
                      '\n')
            << name;
    }
    comm.reset();
    for (const char* name : names)
        EXPECT_FALSE(QFile::exists(folder + pty.lockName(name))) << name;
}

// Each row: the port opened through a link to a pty, which is lost; a new pty
// takes its number, the link replaced or not. The identity the control reads
// of the old and the new device: USB as given, or the system's ("").
TEST(serial_MSComm, ALostPortReopensOnlyTheDeviceLost) {
    // clang-format off
    const struct { bool relinked; const char *before, *after; bool reopened; const char* event; } rows[] = {
        {false, "", "", false, "LINK: DEVICE is a new terminal, not the one lost: not reopened"},
        {true, "", "", true, "LINK reopened at 9600,n,8,1"},
        {true, "0403:6001 serial A", "067b:2303 serial B", false,
         "LINK: DEVICE is another device (USB 067b:2303 serial B, not USB 0403:6001 serial A): not reopened"},
        {false, "0403:6001 serial A", "0403:6001 serial A", true, "LINK reopened at 9600,n,8,1"}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.event);
        QTemporaryDir dir;
        auto lost = std::make_unique<PtyPair>();
        const QString device = lost->devicePath(), link = dir.filePath(u"tty"_s);
        ASSERT_TRUE(QFile::link(device, link));
        MSComm comm;
        QString usb = QString::fromLatin1(row.before);
        comm.setIdentityReader([&usb](const QString& path) {
            using namespace veld::serial;
            return usb.isEmpty() ? readDeviceIdentity(path) : DeviceIdentity{usb, 0, {}, false, 0};
        });
        ASSERT_TRUE(comm.openPath(link));
        lost->closeMaster();
        ASSERT_FALSE(comm.portOpen());
        lost.reset();
        usb = QString::fromLatin1(row.after);
        std::vector<std::unique_ptr<PtyPair>> made; // until one has the lost number
        while (made.size() < 20 && (made.empty() || made.back()->devicePath() != device))
            made.push_back(std::make_unique<PtyPair>());
        if (made.back()->devicePath() != device)
            GTEST_SKIP() << "another program took the lost pty number";
        ASSERT_TRUE(!row.relinked || (QFile::remove(link) && QFile::link(device, link)));
        QSignalSpy events(&comm, &MSComm::lineEvent);
        EXPECT_EQ(std::pair(comm.reopenLost(), comm.reopenLost()),
                  std::pair(row.reopened, row.reopened));
        ASSERT_EQ(events.size(), 1); // said once
        EXPECT_EQ(
            events[0][0].toString(),
            QString::fromLatin1(row.event).replace(u"LINK"_s, link).replace(u"DEVICE"_s, device));
        write(comm, "fefcff");
        EXPECT_EQ(row.reopened ? made.back()->receive(3) : made.back()->receiveFor(30),
                  row.reopened ? hex("fefcff") : QByteArray());
    }
}

// veldctl run as another user (uid 65534) is told what keeps the port from
// it: the device's mode and group, or a stale lock of root's in a sticky folder.
TEST(serial_MSComm, AnotherUserIsToldWhatWouldLetItOpenThePort) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can act as another user";
    // clang-format off
    const struct { mode_t mode; const char* group; bool staleLock; const char* cause; bool exclusive = false; } rows[] = {
        {0660, "dialout", false, "permission denied: add your user to the group that owns it (dialout) and log in again"},
        {0600, "root", false, "permission denied: owned by root:root, mode 600: only root can open it; see udev rules"},
        {0666, "root", false, "busy: opened exclusively by another program", true},
        {0666, "root", true, "stale lock LOCK with no process number cannot be removed: it belongs to root and "
                             "the lock folder DIR lets only its owner remove it; ask root or an administrator to remove it"}};
    // clang-format on
    for (const auto& row : rows) {
        PtyPair pty;
        QTemporaryDir dir;
        const QString lock = dir.filePath(pty.lockName("LCK..pts_N"));
        const QByteArray node = QFile::encodeName(pty.devicePath());
        ASSERT_TRUE(::chmod(QFile::encodeName(dir.path()), 01777) == 0 &&
                    (!row.staleLock || veld::test::plantLock(lock, "0\n", 60)));
        ASSERT_EQ(::chown(node, 0, ::getgrnam(row.group)->gr_gid) | ::chmod(node, row.mode), 0);
        // The exclusive flag is the terminal's: it stays while the pair holds the device open.
        const int holder = row.exclusive ? ::open(node, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
        ASSERT_TRUE(!row.exclusive || (::ioctl(holder, TIOCEXCL) == 0 && ::close(holder) == 0));
        QProcess veldctl;
        veldctl.setEnvironment(QProcess::systemEnvironment() << u"VELD_LOCK_DIR="_s + dir.path());
        veldctl.start(u"setpriv"_s,
                      {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                       QStringLiteral(VELDCTL_PROGRAM), u"--port"_s, pty.devicePath(), u"flash"_s});
        ASSERT_TRUE(veldctl.waitForFinished());
        const QString cause =
            QString::fromLatin1(row.cause).replace(u"LOCK"_s, lock).replace(u"DIR"_s, dir.path());
        EXPECT_EQ(QString::fromUtf8(veldctl.readAllStandardError()),
                  u"veldctl: cannot open %1: %2\n"_s.arg(pty.devicePath(), cause));
    }
}

} // namespace
