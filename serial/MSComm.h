#pragma once

#include "protocol/Frame.h"
#include "serial/LineSettings.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <memory>

namespace veld::serial {

// The serial control: the port number, line settings, open state, output of a
// frame and polled input. Writes that fail return false and say why on the
// "veld.serial" logging category; reads and writes on a closed port do nothing.
//
// Opening while another port is open switches: the new port is opened first and
// the old one closed only once the new one is open, so a failed open leaves the
// old port open and working.
class MSComm : public QObject {
    Q_OBJECT
    Q_PROPERTY(int CommPort READ commPort WRITE setCommPort)
    Q_PROPERTY(QString Settings READ settings WRITE setSettings)
    Q_PROPERTY(bool PortOpen READ portOpen WRITE setPortOpen)
    Q_PROPERTY(int InputLen READ inputLen WRITE setInputLen)
    Q_PROPERTY(int InputMode READ inputMode WRITE setInputMode)
    Q_PROPERTY(int InBufferCount READ inBufferCount)

public:
    static constexpr int kInputModeText = 0;
    static constexpr int kInputModeBinary = 1;
    static constexpr qint64 kReceiveBufferSize = 1024;

    explicit MSComm(QObject* parent = nullptr);
    ~MSComm() override;

    int commPort() const { return m_commPort; }
    bool setCommPort(int portNumber);

    QString settings() const { return m_settingsText; }
    bool setSettings(const QString& text);

    bool portOpen();
    bool setPortOpen(bool open);
    // Opens this device path instead of COMn, as setPortOpen(true) does.
    bool openPath(const QString& path);

    void setOutput(const protocol::Bytes& frame);

    int inputLen() const { return m_inputLen; }
    bool setInputLen(int length);
    int inputMode() const { return m_inputMode; }
    bool setInputMode(int mode);

    qint16 inBufferCount();
    QByteArray input();
    // Blocks up to msecs (-1: no limit) until bytes wait; false on timeout or
    // when the port is closed.
    bool waitForInput(int msecs);

    // Device path of the open port, empty when none is open.
    QString openDevice() const;
    // Why the last open failed, in words; empty after a success.
    QString failureCause() const { return m_failureCause; }

private:
    void onError(QSerialPort::SerialPortError error);
    void noticeVanishedDevice();
    void closeIfLost();
    void pullWaitingBytes();
    bool applySettings(QSerialPort& port, const LineSettings& settings);
    bool openDevicePath(const QString& device);

    int m_commPort = 1;
    QString m_settingsText = QStringLiteral("9600,n,8,1");
    LineSettings m_lineSettings;
    int m_inputLen = 0;
    int m_inputMode = kInputModeText;
    std::unique_ptr<QSerialPort> m_port;
    QString m_openDevice; // the path it was opened by
    bool m_lineLost = false;
    QString m_failureCause;
};

} // namespace veld::serial
