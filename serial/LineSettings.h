#pragma once

#include <QSerialPort>
#include <QString>
#include <optional>

namespace veld::serial {

// A line settings string such as "9600,n,8,1": speed, parity, data bits, stop bits.
struct LineSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// The line settings of a speed with no parity, 8 data bits and 1 stop bit:
// "9600,n,8,1".
QString lineSettingsText(qint32 bitsPerSecond);
// Any settings as text: "19200,e,7,1.5".
QString lineSettingsText(const LineSettings& settings);

// Speeds from 110 to 256000 bit/s from the standard list, parity n/e/o/m/s in
// either case, data bits 5 to 8, stop bits 1, 1.5 or 2. Anything else,
// including blanks and extra fields, is refused.
std::optional<LineSettings> parseLineSettings(const QString& text);

} // namespace veld::serial
