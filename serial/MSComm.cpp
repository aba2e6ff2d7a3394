#include "serial/MSComm.h"

#include "serial/DeviceCheck.h"
#include "serial/DeviceIdentity.h"
#include "serial/PortLock.h"
#include "serial/PortLog.h"
#include "serial/PortMap.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>

namespace veld::serial {

namespace {
// Devices that an MSComm of this process has open, by resolved path.
QSet<QString>& devicesOpenHere() {
    static QSet<QString> devices;
    return devices;
}

} // namespace

MSComm::MSComm(QObject* parent)
    : QObject(parent)
    , m_identityReader(readDeviceIdentity) {}

MSComm::~MSComm() {
    closePort();
}

bool MSComm::setCommPort(int portNumber) {
    checkLine();
    m_failureCause.clear();
    m_failure.clear();
    if (portNumber < kFirstPort || portNumber > kLastPort)
        return fail(QStringLiteral("COM%1").arg(portNumber),
                    QStringLiteral("port number out of range: %1 is not %2 to %3")
                        .arg(portNumber)
                        .arg(kFirstPort)
                        .arg(kLastPort));
    m_commPort = portNumber;
    return true;
}

bool MSComm::setSettings(const QString& text) {
    checkLine();
    m_failureCause.clear();
    m_failure.clear();
    const auto parsed = parseLineSettings(text);
    if (!parsed)
        return fail(QStringLiteral("line settings \"%1\"")
                        .arg(text.size() > 40 ? text.left(40) + u'…' : text),
                    QStringLiteral("line settings refused: expected speed,parity,data bits,stop "
                                   "bits such as \"%1\"")
                        .arg(lineSettingsText(9600)));
    m_portError.clear();
    if (m_port && !applySettings(*m_port, *parsed)) {
        const QString cause = QStringLiteral("line settings refused: %1 does not take \"%2\" (%3)")
                                  .arg(m_openDevice, text, m_portError);
        if (!applySettings(*m_port, m_lineSettings))
            qCWarning(lcSerial, "%s: the earlier line settings could not be restored (%s)",
                      qUtf8Printable(m_openDevice), qUtf8Printable(m_portError));
        checkLine();
        if (m_port)
            return fail(m_openDevice, cause);
    }
    m_lineSettings = *parsed;
    if (m_port)
        emit lineEvent(lineName() + QStringLiteral(" now at ") + lineSettingsText(m_lineSettings));
    return true;
}

bool MSComm::applySettings(QSerialPort& port, const LineSettings& s) {
    return port.setBaudRate(s.baudRate) && port.setParity(s.parity) &&
           port.setDataBits(s.dataBits) && port.setStopBits(s.stopBits) &&
           port.setFlowControl(QSerialPort::NoFlowControl);
}

bool MSComm::portOpen() {
    checkLine();
    return m_port != nullptr;
}

bool MSComm::setPortOpen(bool open) {
    checkLine();
    m_failureCause.clear();
    m_failure.clear();
    if (!open) {
        closePort();
        m_lost = false;
        return true;
    }
    return this->open(deviceForPort(m_commPort).value_or(QString()), m_commPort);
}

bool MSComm::openPath(const QString& path) {
    checkLine();
    m_failureCause.clear();
    m_failure.clear();
    return open(path, std::nullopt);
}

bool MSComm::open(const QString& configured, std::optional<int> portNumber) {
    const QSerialPort* before = m_port.get();
    if (const auto cause = tryOpen(configured)) {
        const QString what =
            portNumber ? QStringLiteral("COM%1 (%2)").arg(*portNumber).arg(configured) : configured;
        return fail(what, *cause, u" not opened");
    }
    m_openPortNumber = portNumber;
    m_openPath = portNumber ? QString() : configured;
    if (m_port.get() != before)
        emit lineEvent(lineName() + QStringLiteral(" opened at ") +
                       lineSettingsText(m_lineSettings));
    return true;
}

std::optional<QString> MSComm::tryOpen(const QString& configured) {
    const QString device = resolvePath(configured);
    if (device.isEmpty())
        return QStringLiteral("no such device");
    if (m_port && device == m_openDevice)
        return std::nullopt;
    if (auto cause = causeBeforeOpen(device))
        return cause;
    if (devicesOpenHere().contains(device))
        return QStringLiteral("in use by ") + describeProcess(QCoreApplication::applicationPid());
    if (QString cause = lockedBecause(device); !cause.isEmpty())
        return cause;
    PortLocks locks;
    if (QString cause = locks.hold(device); !cause.isEmpty())
        return cause;
    if (locks.descriptor() >= 0)
        if (auto cause = prepareDevice(locks.descriptor(), device))
            return cause;

    auto port = std::make_unique<QSerialPort>();
    port->setPortName(device);
    port->setReadBufferSize(kReceiveBufferSize);
    if (!applySettings(*port, m_lineSettings))
        return QStringLiteral("line settings refused: ") + port->errorString();
    auto firstError = QSerialPort::NoError;
    int errorNumber = 0;
    connect(port.get(), &QSerialPort::errorOccurred, this,
            [&firstError, &errorNumber](QSerialPort::SerialPortError error) {
                if (error != QSerialPort::NoError && firstError == QSerialPort::NoError) {
                    errorNumber = errno;
                    firstError = error;
                }
            });
    const bool opened = port->open(QIODevice::ReadWrite);
    port->disconnect(this);
    if (!opened) {
        // A lock taken since the first look is the likelier cause of a refusal.
        const QString locked = lockedBecause(device);
        return locked.isEmpty() ? causeOfFailedOpen(firstError, errorNumber, device, *port)
                                : locked;
    }
    if (QString cause = locks.take(device); !cause.isEmpty())
        return cause;
    QSerialPort* raw = port.get();
    connect(raw, &QSerialPort::errorOccurred, this,
            [this, raw](QSerialPort::SerialPortError error) {
                if (raw == m_port.get())
                    onError(error);
            });
    closePort();
    m_port = std::move(port);
    m_locks = std::move(locks);
    m_openDevice = device;
    m_identity = m_identityReader(device);
    m_linkStamp = linkStamp(configured);
    devicesOpenHere().insert(device);
    m_lost = false;
    m_reopenCause.clear();
    m_writeTrouble = false;
    return std::nullopt;
}

bool MSComm::fail(const QString& what, const QString& cause, QStringView verb) {
    m_failureCause = cause;
    m_failure = what + QStringLiteral(": ") + cause;
    qCWarning(lcSerial, "%s%s: %s", qUtf8Printable(what), qUtf8Printable(verb.toString()),
              qUtf8Printable(cause));
    return false;
}

QString MSComm::openDevice() const {
    return m_port ? m_openDevice : QString();
}

QString MSComm::lineName() const {
    const QString path = configuredPath();
    return m_openPortNumber ? QStringLiteral("COM%1 (%2)").arg(*m_openPortNumber).arg(path) : path;
}

QString MSComm::configuredPath() const {
    return m_openPortNumber ? deviceForPort(*m_openPortNumber).value_or(QString()) : m_openPath;
}

void MSComm::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError)
        return;
    // errno tells only about this object's own write; a read that finds
    // nothing leaves an old value behind.
    const int errorNumber = m_writing ? errno : 0;
    m_portError = m_port->errorString();
    if (m_lost)
        return;
    if (error != QSerialPort::TimeoutError) {
        if (const auto evidence = lossEvidence(error, errorNumber)) {
            declareLost(*evidence);
            return;
        }
    }
    m_port->clearError();
}

void MSComm::declareLost(const QString& cause) {
    m_lost = true;
    qCWarning(lcSerial, "%s lost: %s; the port is closed until it is back",
              qUtf8Printable(m_openDevice), qUtf8Printable(cause));
    // Closing inside one of the port's own calls is unsafe; the next call of
    // this object, or the event loop, closes it.
    QMetaObject::invokeMethod(
        this,
        [this, cause] {
            checkLine();
            if (!m_lost)
                return;
            emit lineEvent(lineName() + QStringLiteral(" lost: ") + cause);
            emit lost(cause);
        },
        Qt::QueuedConnection);
}

void MSComm::checkLine() {
    if (m_port && !m_lost) {
        if (const auto evidence = lossEvidence(QSerialPort::NoError, 0))
            declareLost(*evidence);
    }
    closeIfLost();
}

void MSComm::closeIfLost() {
    if (m_lost)
        closePort();
}

void MSComm::closePort() {
    if (!m_port)
        return;
    if (!m_lost)
        emit lineEvent(lineName() + QStringLiteral(" closed"));
    m_port->disconnect(this);
    devicesOpenHere().remove(m_openDevice);
    m_locks.release();
    closeDevice();
    m_openDevice.clear();
}

bool MSComm::reopenLost() {
    checkLine();
    if (!m_lost)
        return m_port != nullptr;
    const QString configured = configuredPath();
    const QString device = resolvePath(configured);
    if (device.isEmpty())
        return false;
    const DeviceIdentity now = m_identityReader(device);
    QString passedOver = notTheDeviceLost(device, m_identity, now);
    // A pseudo-terminal is never the same once lost: a new one is followed only
    // where a link to it was replaced since the port was opened, as a module
    // restarted on its link replaces it.
    const QString stamp = linkStamp(configured);
    if (m_identity.pseudoTerminal && now.pseudoTerminal && !stamp.isEmpty() && stamp != m_linkStamp)
        passedOver.clear();
    if (!passedOver.isEmpty()) {
        if (std::exchange(m_reopenCause, passedOver) != passedOver) {
            const QString words =
                lineName() + QStringLiteral(": ") + passedOver + QStringLiteral(": not reopened");
            qCWarning(lcSerial, "%s", qUtf8Printable(words));
            emit lineEvent(words);
        }
        return false;
    }
    if (const auto cause = tryOpen(configured)) {
        if (*cause != m_reopenCause)
            qCWarning(lcSerial, "%s is back but not reopened: %s", qUtf8Printable(configured),
                      qUtf8Printable(*cause));
        m_reopenCause = *cause;
        return false;
    }
    qCInfo(lcSerial, "%s reopened (%s)", qUtf8Printable(configured), qUtf8Printable(m_openDevice));
    emit lineEvent(lineName() + QStringLiteral(" reopened at ") + lineSettingsText(m_lineSettings));
    return true;
}

void MSComm::setIdentityReader(IdentityReader reader) {
    m_identityReader = std::move(reader);
}

void MSComm::setOutput(const protocol::Bytes& frame) {
    checkLine();
    if (!m_port || frame.empty())
        return;
    const auto size = static_cast<qint64>(frame.size());
    m_writing = true;
    const qint64 written = m_port->write(frame.data(), size);
    const bool flushed = written == size && m_port->flush();
    m_writing = false;
    closeIfLost();
    if (!m_port) {
        emit frameWritten(frame, QStringLiteral("not written: the port was lost"));
        return;
    }
    const qint64 pending = m_port->bytesToWrite();
    if (flushed && pending == 0) {
        m_writeTrouble = false;
        emit frameWritten(frame, {});
        return;
    }
    const QString trouble =
        written != size
            ? QStringLiteral("not written: %1").arg(m_port->errorString())
            : QStringLiteral("%1 of %2 bytes went out at once, the rest waits (%3)")
                  .arg(size - pending)
                  .arg(size)
                  .arg(m_portError.isEmpty() ? QStringLiteral("the device is busy") : m_portError);
    emit frameWritten(frame, trouble);
    // Said once until a frame goes out whole again.
    if (!std::exchange(m_writeTrouble, true))
        qCWarning(lcSerial, "write to %s: %s", qUtf8Printable(m_openDevice),
                  qUtf8Printable(trouble));
}

bool MSComm::setInputLen(int length) {
    if (length < 0)
        return false;
    m_inputLen = length;
    return true;
}

bool MSComm::setInputMode(int mode) {
    return mode == kInputModeBinary;
}

void MSComm::pullWaitingBytes() {
    if (!m_port || m_port->bytesAvailable() >= kReceiveBufferSize)
        return;
    if (bytesMayWait())
        m_port->waitForReadyRead(0);
}

qint16 MSComm::inBufferCount() {
    checkLine();
    pullWaitingBytes();
    closeIfLost();
    if (!m_port)
        return 0;
    return static_cast<qint16>(
        std::min<qint64>(m_port->bytesAvailable(), std::numeric_limits<qint16>::max()));
}

QByteArray MSComm::input() {
    checkLine();
    pullWaitingBytes();
    closeIfLost();
    if (!m_port)
        return {};
    return m_inputLen > 0 ? m_port->read(m_inputLen) : m_port->readAll();
}

bool MSComm::drain(int msecs) {
    checkLine();
    const QDeadlineTimer deadline(msecs);
    while (m_port && m_port->bytesToWrite() > 0) {
        m_writing = true;
        const bool written =
            m_port->waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
        m_writing = false;
        checkLine();
        if (!written && deadline.hasExpired())
            return false;
    }
    return drainDevice(deadline);
}

void MSComm::discardOutput() {
    if (m_port && !m_port->clear(QSerialPort::Output))
        qCWarning(lcSerial, "cannot discard the output queue: %s",
                  qUtf8Printable(m_port->errorString()));
}

bool MSComm::waitForInput(int msecs) {
    checkLine();
    QDeadlineTimer deadline(msecs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever)
                                      : QDeadlineTimer(msecs));
    while (m_port && m_port->bytesAvailable() == 0) {
        const bool ready = m_port->waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        checkLine();
        if (!ready && deadline.hasExpired())
            return false;
    }
    return m_port != nullptr;
}

} // namespace veld::serial
