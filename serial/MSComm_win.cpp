// The Windows side of the serial control: QSerialPort does it all.
#include "serial/MSComm.h"

namespace veld::serial {

QString MSComm::resolvePath(const QString& path) {
    return path;
}

std::optional<QString> MSComm::prepareDevice(int, const QString&) {
    return std::nullopt;
}

std::optional<QString> MSComm::lossEvidence(QSerialPort::SerialPortError error, int) const {
    if (error == QSerialPort::ResourceError)
        return QStringLiteral("device gone");
    return std::nullopt;
}

bool MSComm::bytesMayWait() {
    return true;
}

bool MSComm::drainDevice(const QDeadlineTimer&) {
    return m_port != nullptr;
}

void MSComm::closeDevice() {
    m_port.reset();
}

} // namespace veld::serial
