// The serial control on real pseudo-terminal pairs and real lock files.
#include "serial/MSComm.h"
#include "serial/PortLock.h"
#include "support/Panel.h"

#include <QProcess>
#include <QSignalSpy>
#include <gtest/gtest.h>

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

TEST(serial_MSComm, ALiveLockOfAnotherIsLeftAsItIsAndAStaleOneRemoved) {
    QTemporaryDir locks;
    qputenv("VELD_LOCK_DIR", QFile::encodeName(locks.path()));
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"UUCP", "live"}, {"QLockFile", "live"}, {"binary", "live"}, {"UUCP", "self"},
        {"UUCP", "gone"}, {"QLockFile", "gone"}, {"text", "none"}};
    for (const auto& [form, owner] : rows) {
        SCOPED_TRACE(std::string(form) + ", " + std::string(owner));
        QProcess child; // killed when it goes
        child.start(u"sleep"_s, {owner == "live" ? u"30"_s : u"0"_s});
        ASSERT_TRUE(child.waitForStarted());
        const qint64 pid = owner == "self" ? QCoreApplication::applicationPid() : child.processId();
        ASSERT_TRUE(owner != "gone" || child.waitForFinished());
        const qint32 binary = static_cast<qint32>(pid);
        const QByteArray content =
            form == "UUCP"        ? QByteArray::number(pid).rightJustified(10, ' ') + '\n'
            : form == "QLockFile" ? QByteArray::number(pid) + "\nsleep\nhost\n"
            : form == "text"      ? QByteArray("no number\n")
                                  : QByteArray(reinterpret_cast<const char*>(&binary), 4);
        PtyPair pty;
        // Named after the device, as every serial program names it: LCK..pts_N for /dev/pts/N.
        QFile lock(locks.filePath(u"LCK..pts_"_s + QFileInfo(pty.devicePath()).fileName()));
        const QDateTime stamp(QDate(2020, 1, 2), QTime(3, 4, 5));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly) && lock.write(content) == content.size() &&
                    lock.flush() && lock.setFileTime(stamp, QFileDevice::FileModificationTime));
        lock.close();
        MSComm comm;
        const bool opened = comm.openPath(pty.slavePath()); // through a link
        EXPECT_EQ(opened, owner == "gone");
        EXPECT_EQ(QFile::exists(lock.fileName()), !opened);
        if (opened)
            continue;
        const QString name = owner == "live" ? u"sleep)"_s : QString();
        EXPECT_TRUE(comm.failureCause().startsWith(
            owner == "none" ? u"locked by another program: "_s + lock.fileName() + u" holds no"_s
                            : u"in use by PID %1 (%2"_s.arg(pid).arg(name)))
            << comm.failureCause().toStdString();
        ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
        EXPECT_EQ(lock.readAll(), content);
        EXPECT_EQ(QFileInfo(lock.fileName()).lastModified(), stamp);
    }
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
