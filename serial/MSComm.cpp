#include "serial/MSComm.h"

#include "serial/PortMap.h"
#include "serial/SerialLog.h"

#include <QFileInfo>
#include <limits>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#endif

namespace veld::serial {

namespace {
QString openFailureHint(const QSerialPort& port) {
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("no such device");
    case QSerialPort::PermissionError:
        return QStringLiteral("permission denied or port busy; to use serial ports, add your "
                              "user to the 'dialout' group (sudo adduser $USER dialout) and log "
                              "in again");
    case QSerialPort::OpenError:
        return QStringLiteral("port busy or locked by another program");
    case QSerialPort::UnsupportedOperationError:
        return QStringLiteral("the device does not support these line settings");
    default:
        return QStringLiteral("open failed");
    }
}
} // namespace

MSComm::MSComm(QObject* parent)
    : QObject(parent) {}

MSComm::~MSComm() = default;

bool MSComm::setCommPort(int portNumber) {
    noticeVanishedDevice();
    if (!deviceForPort(portNumber)) {
        qCWarning(lcSerial, "COM%d: port number out of range %d to %d", portNumber, kFirstPort,
                  kLastPort);
        return false;
    }
    m_commPort = portNumber;
    return true;
}

bool MSComm::setSettings(const QString& text) {
    noticeVanishedDevice();
    const auto parsed = parseLineSettings(text);
    if (!parsed) {
        qCWarning(lcSerial,
                  "line settings \"%s\" refused: expected speed,parity,data bits,stop "
                  "bits such as \"9600,n,8,1\"",
                  qUtf8Printable(text));
        return false;
    }
    if (m_port && !applySettings(*m_port, *parsed)) {
        qCWarning(lcSerial, "line settings \"%s\" refused by %s: %s", qUtf8Printable(text),
                  qUtf8Printable(m_port->portName()), qUtf8Printable(m_port->errorString()));
        applySettings(*m_port, m_lineSettings);
        return false;
    }
    m_settingsText = text;
    m_lineSettings = *parsed;
    return true;
}

bool MSComm::applySettings(QSerialPort& port, const LineSettings& s) {
    return port.setBaudRate(s.baudRate) && port.setParity(s.parity) &&
           port.setDataBits(s.dataBits) && port.setStopBits(s.stopBits) &&
           port.setFlowControl(QSerialPort::NoFlowControl);
}

bool MSComm::portOpen() {
    noticeVanishedDevice();
    return m_port != nullptr;
}

bool MSComm::setPortOpen(bool open) {
    noticeVanishedDevice();
    if (!open) {
        m_port.reset();
        return true;
    }
    const auto device = deviceForPort(m_commPort);
    if (!device) {
        m_failureCause = QStringLiteral("no device for COM%1").arg(m_commPort);
        return false;
    }
    return openDevicePath(*device);
}

bool MSComm::openPath(const QString& path) {
    noticeVanishedDevice();
    return openDevicePath(path);
}

bool MSComm::openDevicePath(const QString& device) {
    if (m_port && openDevice() == device) {
        m_failureCause.clear();
        return true;
    }

    auto port = std::make_unique<QSerialPort>();
    port->setPortName(device);
    port->setReadBufferSize(kReceiveBufferSize);
    applySettings(*port, m_lineSettings);
    if (!port->open(QIODevice::ReadWrite)) {
        m_failureCause = openFailureHint(*port);
        qCWarning(lcSerial, "COM%d (%s) not opened: %s (%s)", m_commPort, qUtf8Printable(device),
                  qUtf8Printable(m_failureCause), qUtf8Printable(port->errorString()));
        return false;
    }
    connect(port.get(), &QSerialPort::errorOccurred, this, &MSComm::onError);
    m_port = std::move(port);
    m_openDevice = device;
    m_lineLost = false;
    m_failureCause.clear();
    return true;
}

QString MSComm::openDevice() const {
    return m_port ? m_openDevice : QString();
}

void MSComm::onError(QSerialPort::SerialPortError error) {
    if (error != QSerialPort::ReadError && error != QSerialPort::WriteError &&
        error != QSerialPort::ResourceError)
        return;
    if (m_lineLost)
        return;
    m_lineLost = true;
    if (m_port)
        qCWarning(lcSerial, "%s lost (%s); the port is closed until it is opened again",
                  qUtf8Printable(openDevice()), qUtf8Printable(m_port->errorString()));
    // Closing inside the port's own signal is unsafe; close on the next call or event.
    QMetaObject::invokeMethod(this, &MSComm::closeIfLost, Qt::QueuedConnection);
}

void MSComm::noticeVanishedDevice() {
    if (m_port && !m_lineLost && !QFileInfo::exists(openDevice())) {
        qCWarning(lcSerial, "%s vanished; the port is closed until it is opened again",
                  qUtf8Printable(openDevice()));
        m_lineLost = true;
    }
    closeIfLost();
}

void MSComm::closeIfLost() {
    if (m_lineLost) {
        m_port.reset();
        m_lineLost = false;
    }
}

void MSComm::setOutput(const protocol::Bytes& frame) {
    noticeVanishedDevice();
    if (!m_port || frame.empty())
        return;
    m_port->write(frame.data(), static_cast<qint64>(frame.size()));
    // Push the whole frame to the device now, in one write.
    m_port->flush();
}

bool MSComm::setInputLen(int length) {
    if (length < 0)
        return false;
    m_inputLen = length;
    return true;
}

bool MSComm::setInputMode(int mode) {
    if (mode != kInputModeText && mode != kInputModeBinary)
        return false;
    m_inputMode = mode;
    return true;
}

void MSComm::pullWaitingBytes() {
    if (!m_port || m_port->bytesAvailable() >= kReceiveBufferSize)
        return;
#ifdef Q_OS_UNIX
    // Asking the driver is cheaper than a zero-time wait when nothing waits,
    // which is what nearly every poll finds. A line that is gone fails here
    // and is left to the wait, which reports it.
    int waiting = 0;
    if (::ioctl(static_cast<int>(m_port->handle()), FIONREAD, &waiting) == 0 && waiting == 0)
        return;
#endif
    m_port->waitForReadyRead(0);
}

qint16 MSComm::inBufferCount() {
    noticeVanishedDevice();
    if (!m_port)
        return 0;
    pullWaitingBytes();
    closeIfLost();
    if (!m_port)
        return 0;
    return static_cast<qint16>(
        std::min<qint64>(m_port->bytesAvailable(), std::numeric_limits<qint16>::max()));
}

QByteArray MSComm::input() {
    noticeVanishedDevice();
    if (!m_port)
        return {};
    pullWaitingBytes();
    closeIfLost();
    if (!m_port)
        return {};
    return m_inputLen > 0 ? m_port->read(m_inputLen) : m_port->readAll();
}

bool MSComm::waitForInput(int msecs) {
    noticeVanishedDevice();
    if (!m_port)
        return false;
    const bool waiting = m_port->bytesAvailable() > 0 || m_port->waitForReadyRead(msecs);
    closeIfLost();
    return waiting && m_port;
}

} // namespace veld::serial
