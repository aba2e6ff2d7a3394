#pragma once

#include "protocol/Frame.h"
#include "serial/DeviceIdentity.h"
#include "serial/LineSettings.h"
#include "serial/PortLock.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <memory>
#include <optional>

namespace veld::serial {

// The serial control: the port number, line settings, open state, output of a
// frame and polled input. Reads and writes on a closed port do nothing.
//
// The configured path (COMn's device or a path given to openPath) is resolved
// to the real device before anything else, so that the device is known under
// one name and its locks are named as other serial programs name them
// (PortLock.h). A live lock of another program refuses the open and stays as it
// is; a stale one is removed. While open, the port holds every kind of lock.
// Every refusal keeps its cause in words (failureCause) and says it on the
// "veld.serial" logging category.
//
// Opening while another port is open switches: the new port is opened first and
// the old one closed only once the new one is open, so a failed open leaves the
// old port open and working.
//
// An open line is lost only on evidence from the device: a hang-up or I/O error,
// or its device node gone. Then the port is closed, lost() is emitted once and
// reopenLost() watches for the configured path to lead to the same device again.
//
// The platform's side (locks, the device's own queues, pseudo-terminals) is in
// MSComm_unix.cpp, or MSComm_win.cpp.
class MSComm : public QObject {
    Q_OBJECT

public:
    static constexpr int kInputModeBinary = 1;
    static constexpr qint64 kReceiveBufferSize = 1024;

    explicit MSComm(QObject* parent = nullptr);
    // Closes the port: line settings restored, exclusive flag and locks released.
    ~MSComm() override;

    // 1 to 5; false otherwise.
    bool setCommPort(int portNumber);
    // "9600,n,8,1"; applied at once to an open port.
    bool setSettings(const QString& text);
    const LineSettings& lineSettings() const { return m_lineSettings; }
    bool portOpen();
    // Opens the device of the port number (see PortMap.h); false closes.
    bool setPortOpen(bool open);
    // Opens this device path instead of COMn, by the same rules as setPortOpen(true).
    bool openPath(const QString& path);
    // One whole write; a short or failed write is logged, once until a frame
    // goes out whole again.
    void setOutput(const protocol::Bytes& frame);
    bool setInputLen(int length);
    // Accepts kInputModeBinary only: input is always bytes.
    bool setInputMode(int mode);
    qint16 inBufferCount();
    QByteArray input();
    // Blocks up to msecs (-1: no limit) until bytes wait; false on timeout or
    // when the port is closed or lost.
    bool waitForInput(int msecs);
    // Blocks up to msecs until every byte written has left: this program and
    // the device's own queue. False when some have not, or the port is gone.
    bool drain(int msecs);
    // Discards what is written but has not left yet: this program's buffer
    // and the device's own queue (tcflush TCOFLUSH).
    void discardOutput();

    // Resolved device path of the open port, or empty.
    QString openDevice() const;
    // Cause of the last failed setCommPort, setSettings, setPortOpen or openPath,
    // in words; empty after a success.
    QString failureCause() const { return m_failureCause; }
    // The same with what failed: "COM2 (/dev/ttyUSB0): in use by PID 4242 (minicom)".
    QString failure() const { return m_failure; }

    // The open or lost line as it was configured, for messages: "COM1
    // (/dev/serial/by-id/...)", or the path given to openPath.
    QString lineName() const;

    bool isLost() const { return m_lost; }
    // While lost: resolves the configured path afresh and, when it leads to the
    // device lost, reopens it at the current line settings. Silent while
    // nothing is there. Another device there is passed over, said once on
    // lineEvent and veld.serial: another USB adapter (vendor, product, serial
    // number), another device number or driver, or a new pseudo-terminal,
    // unless a link to it was replaced since the open (a module restarted on
    // its link). True when the port is open.
    bool reopenLost();
    // How a device's identity is read (readDeviceIdentity), for tests.
    void setIdentityReader(IdentityReader reader);

signals:
    // Once per loss, queued, after the port has been closed; the cause in words.
    void lost(const QString& cause);
    // What happened to the line, in words: "COM1 (/dev/ttyS0) opened at
    // 9600,n,8,1", "... closed", "... lost: no such device", "... reopened at
    // ...", "... now at 19200,n,8,1".
    void lineEvent(const QString& words);
    // Each frame handed to the open port; `trouble` is empty when it went out
    // whole, else says what went wrong.
    void frameWritten(const protocol::Bytes& frame, const QString& trouble);

private:
    bool open(const QString& configured, std::optional<int> portNumber);
    std::optional<QString> tryOpen(const QString& configured);
    // Keeps the cause and says it on veld.serial: "COM2 (/dev/ttyUSB0) not opened: …".
    bool fail(const QString& what, const QString& cause, QStringView verb = {});
    QString configuredPath() const;
    void onError(QSerialPort::SerialPortError error);
    void declareLost(const QString& cause);
    // Closes the port on evidence of loss; every public call starts here.
    void checkLine();
    void closeIfLost();
    void closePort();
    void pullWaitingBytes();
    bool applySettings(QSerialPort& port, const LineSettings& settings);

    // The platform's side.
    // The device a path leads to, links resolved; empty when there is none.
    static QString resolvePath(const QString& path);
    // On the lock's descriptor, before QSerialPort opens the device: a refusal
    // (not a terminal), or what the device needs set first.
    std::optional<QString> prepareDevice(int fd, const QString& device);
    // Evidence that the open device is lost, from the error met (or none) and
    // the system error behind it.
    std::optional<QString> lossEvidence(QSerialPort::SerialPortError error, int errorNumber) const;
    // False when nothing waits to be read (or the line is lost).
    bool bytesMayWait();
    // Waits until the device's own queue is empty; false at the deadline.
    bool drainDevice(const QDeadlineTimer& deadline);
    // Closes and drops m_port.
    void closeDevice();

    int m_commPort = 1;
    LineSettings m_lineSettings;
    int m_inputLen = 0;
    std::unique_ptr<QSerialPort> m_port;
    PortLocks m_locks;
    QString m_openDevice;
    IdentityReader m_identityReader;
    // The open (or lost) device's identity and the links its path passed through.
    DeviceIdentity m_identity;
    QString m_linkStamp;
    // How the open (or lost) port was configured: COMn, or the path given.
    std::optional<int> m_openPortNumber;
    QString m_openPath;
    QString m_failureCause;
    QString m_failure;
    bool m_lost = false;
    QString m_reopenCause;
    bool m_writing = false;
    bool m_writeTrouble = false;
    QString m_portError;
};

} // namespace veld::serial
