#include "serial/MSComm.h"
#include "serial/PortLock.h"
#include "support/Panel.h"
#include "support/PtyPair.h"
#include "support/TestMain.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using veld::serial::MSComm;
using veld::test::hex;
using veld::test::PtyPair;

namespace {
std::string frame(const char* text) {
    return hex(text).toStdString();
}
} // namespace

// The serial control on real pseudo-terminal pairs and real lock files.
class MSCommTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_locks;

private slots:
    void init() {
        m_locks = std::make_unique<QTemporaryDir>();
        qputenv("VELD_LOCK_DIR", QFile::encodeName(m_locks->path()));
    }

    void opensSwitchesAndAppliesSettingsAtOnce() {
        PtyPair first, second;
        veld::test::Panel::map(1, first.slavePath());
        veld::test::Panel::map(2, u"/nonexistent/tty"_s);
        veld::test::Panel::map(3, second.slavePath());
        MSComm comm;
        QVERIFY(comm.setSettings(u"2400,n,8,1"_s) && comm.setPortOpen(true));
        QCOMPARE(first.baudRate(), 2400);
        comm.setOutput(frame("fe1000000000ff"));
        comm.setOutput(std::string());
        QCOMPARE(first.receive(7), hex("fe1000000000ff"));
        QVERIFY(comm.setSettings(u"19200,n,8,1"_s) && !comm.setSettings(u"9600, n,8,1"_s));
        QVERIFY(comm.failureCause().startsWith(u"line settings refused"_s));
        QCOMPARE(first.baudRate(), 19200);
        QVERIFY(!comm.setCommPort(6));
        QVERIFY(comm.failureCause().startsWith(u"port number out of range"_s));
        QVERIFY(comm.setCommPort(2) && !comm.setPortOpen(true)); // the open port stays
        QCOMPARE(comm.openDevice(), first.devicePath());
        QVERIFY(comm.setCommPort(3) && comm.setPortOpen(true) && comm.failureCause().isEmpty());
        QCOMPARE(second.baudRate(), 19200);
        comm.setOutput(frame("fef9ff"));
        QCOMPARE(second.receive(3), hex("fef9ff"));
        QVERIFY(first.receiveFor(50).isEmpty());
    }

    void refusalsSayWhyAndLeaveAQuietClosedPort_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("cause");
        QTest::newRow("missing") << u"/nonexistent/tty"_s << u"no such device"_s;
        QTest::newRow("file") << QCoreApplication::applicationFilePath()
                              << u"not a serial device"_s;
        QTest::newRow("not a tty") << u"/dev/null"_s << u"not a serial device"_s;
    }
    void refusalsSayWhyAndLeaveAQuietClosedPort() {
        QFETCH(QString, path);
        QFETCH(QString, cause);
        MSComm comm;
        QTest::ignoreMessage(QtWarningMsg, qPrintable(path + u" not opened: "_s + cause));
        QVERIFY(!comm.openPath(path));
        QCOMPARE(comm.failureCause(), cause);
        comm.setOutput(frame("fefcff"));
        QVERIFY(!comm.portOpen() && !comm.isLost() && !comm.waitForInput(10) &&
                comm.input().isEmpty());
        QCOMPARE(comm.inBufferCount(), qint16(0));
    }

    void oneDeviceUnderTwoNamesOpensOnceAndGivesWhatWaits() {
        PtyPair pty;
        MSComm comm, other;
        QVERIFY(comm.openPath(pty.slavePath()) && !comm.waitForInput(20));
        QCOMPARE(comm.openDevice(), pty.devicePath());
        pty.send(hex("fe0500fffe0310ff000a"));
        QVERIFY(comm.openPath(pty.devicePath())); // the same device: not reopened
        QVERIFY(comm.waitForInput(2000) && comm.inBufferCount() == 10);
        QCOMPARE(comm.input(), hex("fe0500fffe0310ff000a"));
        QCOMPARE(comm.inBufferCount(), qint16(0));
        pty.send(QByteArray(3000, '\x05'));
        QCOMPARE(comm.inBufferCount(), qint16(MSComm::kReceiveBufferSize));
        QCOMPARE(comm.input().size(), MSComm::kReceiveBufferSize);
        QVERIFY(comm.inBufferCount() > 0); // the rest waited in the line
        QVERIFY(!other.openPath(pty.devicePath()));
        QVERIFY(other.failureCause().startsWith(
            u"in use by PID %1 ("_s.arg(QCoreApplication::applicationPid())));
        QVERIFY(QFile::exists(veld::serial::portLockFile(pty.devicePath()))); // QSerialPort's
        QVERIFY(!QFile::exists(veld::serial::portLockFile(pty.slavePath())));
    }

    void locksOfOthers_data() {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("owner");
        for (const QString& form : {u"UUCP"_s, u"QLockFile"_s, u"binary"_s})
            QTest::newRow(qPrintable(form + u", live program"_s)) << form << u"live"_s;
        QTest::newRow("UUCP, this process") << u"UUCP"_s << u"self"_s;
        for (const QString& form : {u"UUCP"_s, u"QLockFile"_s})
            QTest::newRow(qPrintable(form + u", stale"_s)) << form << u"gone"_s;
    }
    void locksOfOthers() {
        QFETCH(QString, form);
        QFETCH(QString, owner);
        QProcess child;
        child.start(u"sleep"_s, {owner == u"live" ? u"30"_s : u"0"_s});
        QVERIFY(child.waitForStarted());
        const qint64 pid =
            owner == u"self" ? QCoreApplication::applicationPid() : child.processId();
        QVERIFY(owner != u"gone" || child.waitForFinished());
        const qint32 binary = static_cast<qint32>(pid);
        const QByteArray content =
            form == u"UUCP"        ? QByteArray::number(pid).rightJustified(10, ' ') + '\n'
            : form == u"QLockFile" ? QByteArray::number(pid) + "\nsleep\nhost\n"
                                   : QByteArray(reinterpret_cast<const char*>(&binary), 4);
        PtyPair pty;
        // Named after the device, as every serial program names it: LCK..pts_N for /dev/pts/N.
        QFile lock(m_locks->filePath(u"LCK..pts_"_s + QFileInfo(pty.devicePath()).fileName()));
        const QDateTime stamp(QDate(2020, 1, 2), QTime(3, 4, 5));
        QVERIFY(lock.open(QIODevice::WriteOnly) && lock.write(content) == content.size() &&
                lock.flush() && lock.setFileTime(stamp, QFileDevice::FileModificationTime));
        lock.close();

        MSComm comm;
        const bool opened = comm.openPath(pty.slavePath()); // through a link
        child.kill();
        QVERIFY(child.state() == QProcess::NotRunning || child.waitForFinished());
        QCOMPARE(opened, owner == u"gone");
        QCOMPARE(QFile::exists(lock.fileName()), !opened);
        if (opened)
            return;
        const QString name = owner == u"live" ? u"sleep)"_s : QString();
        QVERIFY2(comm.failureCause().startsWith(u"in use by PID %1 (%2"_s.arg(pid).arg(name)),
                 qPrintable(comm.failureCause()));
        QVERIFY(lock.open(QIODevice::ReadOnly));
        QCOMPARE(lock.readAll(), content);
        QCOMPARE(QFileInfo(lock.fileName()).lastModified(), stamp);
    }

    void readsThatFindNothingAreNoLoss() {
        PtyPair pty;
        MSComm comm;
        QSignalSpy lost(&comm, &MSComm::lost);
        QVERIFY(comm.openPath(pty.slavePath()) && pty.setCanonical(true));
        pty.send(QByteArray(1, '\x04'), false); // end of file: a read of 0 bytes
        QTRY_VERIFY(!pty.readableAtPanel());
        QVERIFY(pty.setCanonical(false));
        pty.send(hex("fe0500ff"));
        QCOMPARE(pty.takeAtPanel(2), hex("fe05")); // a second reader
        QCOMPARE(comm.input(), hex("00ff"));
        QVERIFY(!lost.wait(50) && comm.portOpen() && !comm.isLost());
        comm.setOutput(frame("fefcff"));
        QCOMPARE(pty.receive(3), hex("fefcff"));
    }

    void lossIsToldOnceAndTheLineReopensWhenBack_data() {
        QTest::addColumn<bool>("hangUpOnly");
        QTest::addColumn<QString>("cause");
        QTest::newRow("node gone") << false << u"device gone: "_s;
        QTest::newRow("hang-up") << true << u"hang-up from the device"_s;
    }
    void lossIsToldOnceAndTheLineReopensWhenBack() {
        QFETCH(bool, hangUpOnly);
        QFETCH(QString, cause);
        QTemporaryDir dir;
        const QString link = dir.filePath(u"com"_s);
        auto pty = std::make_unique<PtyPair>();
        QVERIFY(QFile::link(pty->devicePath(), link));
        veld::test::Panel::map(2, link);
        MSComm comm;
        QSignalSpy lost(&comm, &MSComm::lost);
        QVERIFY(comm.setCommPort(2) && comm.setPortOpen(true));
        if (!hangUpOnly)
            pty->closeMaster();
        else if (!pty->hangUp())
            QSKIP("hanging up a tty needs root");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u" lost: "_s + cause));
        comm.setOutput(frame("fefcff"));
        QVERIFY(!comm.portOpen() && comm.isLost() && !comm.waitForInput(-1));
        QVERIFY(comm.inBufferCount() == 0 && comm.input().isEmpty());
        QVERIFY(lost.wait() && lost.at(0).at(0).toString().startsWith(cause) && !lost.wait(50));
        if (!hangUpOnly) {
            QVERIFY(!comm.reopenLost()); // the link dangles: nothing to open, nothing said
            pty = std::make_unique<PtyPair>();
            QVERIFY(QFile::remove(link) && QFile::link(pty->devicePath(), link));
        }
        QVERIFY(comm.reopenLost() && comm.portOpen() && !comm.isLost());
        QCOMPARE(comm.openDevice(), pty->devicePath());
        comm.setOutput(frame("fefcff"));
        QCOMPARE(pty->receive(3), hex("fefcff"));
    }
};

VELD_QTEST_MAIN(MSCommTest)
#include "MSCommTest.moc"
