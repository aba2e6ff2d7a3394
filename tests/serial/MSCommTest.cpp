#include "serial/MSComm.h"
#include "support/PtyPair.h"
#include "support/TestMain.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using veld::serial::MSComm;
using veld::test::PtyPair;

namespace {
void mapPort(int n, const QString& device) {
    qputenv(QStringLiteral("VELD_COM%1").arg(n).toLatin1().constData(), QFile::encodeName(device));
}
QByteArray bytes(std::initializer_list<unsigned char> values) {
    QByteArray out;
    for (unsigned char v : values)
        out.append(static_cast<char>(v));
    return out;
}
std::string frame(std::initializer_list<unsigned char> values) {
    const QByteArray b = bytes(values);
    return {b.constData(), static_cast<std::size_t>(b.size())};
}
} // namespace

// The serial control on real pseudo-terminal pairs mapped as COM ports.
class MSCommTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        for (int n = 1; n <= 5; ++n)
            mapPort(n, QStringLiteral("/nonexistent/veld-test/COM%1").arg(n));
    }

    void closedPortIsQuietAndNeverFails() {
        MSComm comm;
        QVERIFY(!comm.portOpen());
        QCOMPARE(comm.inBufferCount(), qint16(0));
        QVERIFY(comm.input().isEmpty());
        comm.setOutput(frame({0xFE, 0xFC, 0xFF}));
        QVERIFY(!comm.portOpen());
    }

    void opensTheMappedDeviceAndWritesWholeFrames() {
        PtyPair pty;
        mapPort(1, pty.slavePath());
        MSComm comm;
        QVERIFY(comm.setCommPort(1));
        QVERIFY(comm.setSettings(u"9600,n,8,1"_s));
        QVERIFY(comm.setPortOpen(true));
        QVERIFY(comm.portOpen());
        QCOMPARE(comm.openDevice(), pty.slavePath());
        QCOMPARE(pty.baudRate(), 9600);

        comm.setOutput(frame({0xFE, 0xFC, 0xFF}));
        QCOMPARE(pty.receive(3), bytes({0xFE, 0xFC, 0xFF}));
        // Zero bytes and 0xFF inside a frame go out as they are.
        comm.setOutput(frame({0xFE, 0x10, 0x00, 0x00, 0x00, 0xFF}));
        QCOMPARE(pty.receive(6), bytes({0xFE, 0x10, 0x00, 0x00, 0x00, 0xFF}));
        comm.setOutput(std::string());
        QVERIFY(pty.receiveFor(50).isEmpty());
    }

    void inputTakesEveryWaitingByte() {
        PtyPair pty;
        mapPort(1, pty.slavePath());
        MSComm comm;
        QVERIFY(comm.setPortOpen(true));
        QCOMPARE(comm.inBufferCount(), qint16(0));
        const QByteArray sent = bytes({0xFE, 0x05, 0x00, 0xFF, 0xFE, 0x03, 0x10, 0xFF, 0x00, 0x0A});
        pty.send(sent);
        QCOMPARE(comm.inBufferCount(), qint16(sent.size()));
        QCOMPARE(comm.input(), sent);
        QCOMPARE(comm.inBufferCount(), qint16(0));
        QVERIFY(comm.input().isEmpty());
    }

    void receiveBufferHoldsAtMostItsSize() {
        PtyPair pty;
        mapPort(1, pty.slavePath());
        MSComm comm;
        QVERIFY(comm.setPortOpen(true));
        pty.send(QByteArray(3000, '\x05'));
        QCOMPARE(comm.inBufferCount(), qint16(MSComm::kReceiveBufferSize));
        QCOMPARE(comm.input().size(), MSComm::kReceiveBufferSize);
        // The rest waits in the line and comes with the next reads.
        QVERIFY(comm.inBufferCount() > 0);
    }

    void settingsApplyAtOnceOnAnOpenPort() {
        PtyPair pty;
        mapPort(3, pty.slavePath());
        MSComm comm;
        QVERIFY(comm.setCommPort(3));
        QVERIFY(comm.setPortOpen(true));
        QCOMPARE(pty.baudRate(), 9600);
        QVERIFY(comm.setSettings(u"19200,n,8,1"_s));
        QCOMPARE(pty.baudRate(), 19200);
        QCOMPARE(comm.settings(), u"19200,n,8,1"_s);
        comm.setOutput(frame({0xFE, 0xFA, 0xFF}));
        QCOMPARE(pty.receive(3), bytes({0xFE, 0xFA, 0xFF}));
    }

    void refusedSettingsChangeNothing() {
        PtyPair pty;
        mapPort(1, pty.slavePath());
        MSComm comm;
        QVERIFY(!comm.setSettings(u"9600,x,8,1"_s));
        QCOMPARE(comm.settings(), u"9600,n,8,1"_s);
        QVERIFY(comm.setSettings(u"2400,n,8,1"_s));
        QVERIFY(comm.setPortOpen(true));
        QCOMPARE(pty.baudRate(), 2400);
        QVERIFY(!comm.setSettings(u"abc,n,8,1"_s));
        QVERIFY(!comm.setSettings(QString()));
        QCOMPARE(comm.settings(), u"2400,n,8,1"_s);
        QCOMPARE(pty.baudRate(), 2400);
        QVERIFY(comm.portOpen());
    }

    void refusesPortNumbersOutsideOneToFive() {
        MSComm comm;
        QVERIFY(comm.setCommPort(4));
        QVERIFY(!comm.setCommPort(0));
        QVERIFY(!comm.setCommPort(6));
        QVERIFY(!comm.setCommPort(-3));
        QCOMPARE(comm.commPort(), 4);
    }

    void openingAMissingDeviceFails() {
        MSComm comm;
        QVERIFY(comm.setCommPort(2));
        QVERIFY(!comm.setPortOpen(true));
        QVERIFY(!comm.portOpen());
    }

    void failedSwitchLeavesTheOpenPortOpen() {
        PtyPair pty;
        mapPort(1, pty.slavePath());
        MSComm comm;
        QVERIFY(comm.setPortOpen(true));
        QVERIFY(comm.setCommPort(2));
        QVERIFY(!comm.setPortOpen(true));
        QVERIFY(comm.portOpen());
        QCOMPARE(comm.openDevice(), pty.slavePath());
        comm.setOutput(frame({0xFE, 0xFB, 0xFF}));
        QCOMPARE(pty.receive(3), bytes({0xFE, 0xFB, 0xFF}));
    }

    void openingAnotherPortSwitchesToIt() {
        PtyPair first;
        PtyPair second;
        mapPort(1, first.slavePath());
        mapPort(3, second.slavePath());
        MSComm comm;
        QVERIFY(comm.setPortOpen(true));
        QVERIFY(comm.setCommPort(3));
        QVERIFY(comm.setPortOpen(true));
        QCOMPARE(comm.openDevice(), second.slavePath());
        comm.setOutput(frame({0xFE, 0xF9, 0xFF}));
        QCOMPARE(second.receive(3), bytes({0xFE, 0xF9, 0xFF}));
        QVERIFY(first.receiveFor(50).isEmpty());
        // Opening the port that is open already is no error.
        QVERIFY(comm.setPortOpen(true));
        QCOMPARE(comm.openDevice(), second.slavePath());
    }

    void aDeviceThatGoesAwayClosesThePort() {
        auto pty = std::make_unique<PtyPair>();
        mapPort(1, pty->slavePath());
        MSComm comm;
        QVERIFY(comm.setPortOpen(true));
        pty->closeMaster();
        // The first read that meets the lost line closes the port for good.
        QCOMPARE(comm.inBufferCount(), qint16(0));
        QVERIFY(!comm.portOpen());
        QVERIFY(comm.input().isEmpty());
        comm.setOutput(frame({0xFE, 0xFC, 0xFF}));
        QVERIFY(!comm.portOpen());
        // Events that were queued for the lost port find nothing left to do.
        QCoreApplication::processEvents();
        QVERIFY(!comm.portOpen());

        // Back again (a new device at the mapped path): opening works.
        pty = std::make_unique<PtyPair>();
        mapPort(1, pty->slavePath());
        QVERIFY(comm.setPortOpen(true));
        comm.setOutput(frame({0xFE, 0xFC, 0xFF}));
        QCOMPARE(pty->receive(3), bytes({0xFE, 0xFC, 0xFF}));
    }

    void aWriteOnALostLineClosesThePort() {
        PtyPair pty;
        mapPort(1, pty.slavePath());
        MSComm comm;
        QVERIFY(comm.setPortOpen(true));
        pty.closeMaster();
        comm.setOutput(frame({0xFE, 0xFC, 0xFF}));
        comm.setOutput(frame({0xFE, 0xFC, 0xFF}));
        QVERIFY(!comm.portOpen());
    }
};

VELD_QTEST_MAIN(MSCommTest)
#include "MSCommTest.moc"
