#include "serial/MSComm.h"

#include "serial/DeviceCheck.h"
#include "serial/PortLock.h"
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

#ifdef Q_OS_UNIX
#include <QFile>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace veld::serial {

Q_LOGGING_CATEGORY(lcSerial, "veld.serial")

namespace {
// Devices that an MSComm of this process has open, by resolved path.
QSet<QString>& devicesOpenHere() {
    static QSet<QString> devices;
    return devices;
}

#ifdef Q_OS_UNIX
// The slave side of a pseudo-terminal: majors 136 to 143 on Linux.
bool isPseudoTerminal(const QString& device) {
    struct stat node {};
    return ::stat(QFile::encodeName(device).constData(), &node) == 0 && S_ISCHR(node.st_mode) &&
           ::major(node.st_rdev) >= 136 && ::major(node.st_rdev) <= 143;
}

// A pty's other end judges what it reads by the speed it finds when it reads,
// which may be after the close. Set before QSerialPort opens it, the speed is
// among the settings that QSerialPort restores on closing. (A speed changed
// while open is set again after the close.)
void presetPtySpeed(int fd, qint32 bitsPerSecond) {
    static constexpr std::pair<qint32, speed_t> kSpeeds[] = {
        {110, B110},     {300, B300},     {600, B600},     {1200, B1200},
        {2400, B2400},   {4800, B4800},   {9600, B9600},   {19200, B19200},
        {38400, B38400}, {57600, B57600}, {115200, B115200}};
    termios t{};
    for (const auto& [bps, speed] : kSpeeds)
        if (bps == bitsPerSecond && ::tcgetattr(fd, &t) == 0 && ::cfsetspeed(&t, speed) == 0 &&
            ::tcsetattr(fd, TCSANOW, &t) != 0)
            qCWarning(lcSerial, "pty speed not preset: %s", std::strerror(errno));
}
#endif

QString resolve(const QString& path) {
#ifdef Q_OS_UNIX
    return QFileInfo(path).canonicalFilePath();
#else
    return path;
#endif
}

} // namespace

MSComm::MSComm(QObject* parent)
    : QObject(parent) {}

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
        emit lineEvent(lineName() + QStringLiteral(" opened at ") + lineSettingsText(m_lineSettings));
    return true;
}

std::optional<QString> MSComm::tryOpen(const QString& configured) {
    const QString device = resolve(configured);
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
#ifdef Q_OS_UNIX
    if (locks.descriptor() >= 0 && isPseudoTerminal(device))
        presetPtySpeed(locks.descriptor(), m_lineSettings.baudRate);
#endif

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
#ifdef Q_OS_UNIX
        const auto evidence = lossEvidence(errorNumber);
#else
        Q_UNUSED(errorNumber)
        const auto evidence = error == QSerialPort::ResourceError
                                  ? std::optional<QString>(QStringLiteral("device gone"))
                                  : std::nullopt;
#endif
        if (evidence) {
            declareLost(*evidence);
            return;
        }
    }
    m_port->clearError();
}

std::optional<QString> MSComm::lossEvidence(int errorNumber) const {
#ifdef Q_OS_UNIX
    if (m_port)
        return signOfLoss(static_cast<int>(m_port->handle()), m_openDevice, errorNumber);
#else
    Q_UNUSED(errorNumber)
#endif
    return std::nullopt;
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
        if (const auto evidence = lossEvidence(0))
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
#ifdef Q_OS_UNIX
    // A pseudo-terminal has no wire: its other end judges what it reads by the
    // settings it finds when it reads, which may be after this close. So they
    // stay as they were used; a real line gets back the ones found at open.
    termios used{};
    const int pty = isPseudoTerminal(m_openDevice) && !m_lost ? ::dup(int(m_port->handle())) : -1;
    const bool kept = pty >= 0 && ::tcgetattr(pty, &used) == 0;
#endif
    // Closing restores the line settings and releases the exclusive flag and
    // QSerialPort's own lock file.
    m_port.reset();
#ifdef Q_OS_UNIX
    if (kept && ::tcsetattr(pty, TCSANOW, &used) != 0)
        qCWarning(lcSerial, "%s: its settings could not be kept", qUtf8Printable(m_openDevice));
    if (pty >= 0)
        ::close(pty);
#endif
    m_openDevice.clear();
}

bool MSComm::reopenLost() {
    checkLine();
    if (!m_lost)
        return m_port != nullptr;
    const QString configured = configuredPath();
    if (resolve(configured).isEmpty())
        return false;
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
#ifdef Q_OS_UNIX
    // Asking the driver is cheaper than a zero-time wait when nothing waits,
    // which is what nearly every poll finds.
    int waiting = 0;
    if (::ioctl(static_cast<int>(m_port->handle()), FIONREAD, &waiting) == 0) {
        if (waiting == 0)
            return;
    } else if (const auto evidence = lossEvidence(errno)) {
        declareLost(*evidence);
        return;
    }
#endif
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
#ifdef Q_OS_UNIX
    // The device's own queue empties at the line's speed, or never when flow
    // control holds it: so it is watched until the deadline, not tcdrain()ed.
    for (int queued = 0; m_port;) {
        if (::ioctl(static_cast<int>(m_port->handle()), TIOCOUTQ, &queued) != 0 || queued == 0)
            return true;
        if (deadline.hasExpired())
            return false;
        // About the time the queued bytes take at 10 bits a byte.
        const qint64 needed = 1 + qint64(queued) * 10000 / std::max<qint32>(m_port->baudRate(), 1);
        ::poll(nullptr, 0, static_cast<int>(std::min(needed, deadline.remainingTime())));
    }
    return false;
#else
    return m_port != nullptr;
#endif
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
