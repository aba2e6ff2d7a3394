// The Unix side of the serial control: pseudo-terminals, the driver's queues
// and loss evidence from the device node.
#include "serial/DeviceCheck.h"
#include "serial/MSComm.h"
#include "serial/PortLog.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace veld::serial {

namespace {
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
        {110, B110},     {300, B300},     {600, B600},      {1200, B1200},
        {2400, B2400},   {4800, B4800},   {9600, B9600},    {19200, B19200},
        {38400, B38400}, {57600, B57600}, {115200, B115200}};
    termios t{};
    for (const auto& [bps, speed] : kSpeeds)
        if (bps == bitsPerSecond && ::tcgetattr(fd, &t) == 0 && ::cfsetspeed(&t, speed) == 0 &&
            ::tcsetattr(fd, TCSANOW, &t) != 0)
            qCWarning(lcSerial, "pty speed not preset: %s", std::strerror(errno));
}
} // namespace

QString MSComm::resolvePath(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

std::optional<QString> MSComm::prepareDevice(int fd, const QString& device) {
    if (auto cause = causeOnceOpen(fd))
        return cause;
    if (isPseudoTerminal(device))
        presetPtySpeed(fd, m_lineSettings.baudRate);
    return std::nullopt;
}

std::optional<QString> MSComm::lossEvidence(QSerialPort::SerialPortError, int errorNumber) const {
    if (m_port)
        return signOfLoss(static_cast<int>(m_port->handle()), m_openDevice, errorNumber);
    return std::nullopt;
}

bool MSComm::bytesMayWait() {
    // Asking the driver is cheaper than a zero-time wait when nothing waits,
    // which is what nearly every poll finds.
    int waiting = 0;
    if (::ioctl(static_cast<int>(m_port->handle()), FIONREAD, &waiting) == 0)
        return waiting > 0;
    if (const auto evidence = lossEvidence(QSerialPort::NoError, errno)) {
        declareLost(*evidence);
        return false;
    }
    return true;
}

bool MSComm::drainDevice(const QDeadlineTimer& deadline) {
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
}

void MSComm::closeDevice() {
    // A pseudo-terminal has no wire: its other end judges what it reads by the
    // settings it finds when it reads, which may be after this close. So they
    // stay as they were used; a real line gets back the ones found at open.
    termios used{};
    const int pty = isPseudoTerminal(m_openDevice) && !m_lost ? ::dup(int(m_port->handle())) : -1;
    const bool kept = pty >= 0 && ::tcgetattr(pty, &used) == 0;
    // Closing restores the line settings and releases the exclusive flag and
    // QSerialPort's own lock file.
    m_port.reset();
    if (kept && ::tcsetattr(pty, TCSANOW, &used) != 0)
        qCWarning(lcSerial, "%s: its settings could not be kept", qUtf8Printable(m_openDevice));
    if (pty >= 0)
        ::close(pty);
}

} // namespace veld::serial
