#include "serial/LineSettings.h"

#include <QStringList>
#include <array>

namespace veld::serial {

namespace {
constexpr std::array<qint32, 16> kSpeeds{110,   300,   600,   1200,  2400,  4800,   9600,   14400,
                                         19200, 28800, 38400, 56000, 57600, 115200, 128000, 256000};

std::optional<qint32> parseSpeed(const QString& field) {
    for (QChar c : field)
        if (!c.isDigit() || c.unicode() > u'9')
            return std::nullopt;
    bool ok = false;
    const qint32 speed = field.toInt(&ok);
    if (!ok)
        return std::nullopt;
    for (qint32 s : kSpeeds)
        if (s == speed)
            return speed;
    return std::nullopt;
}

std::optional<QSerialPort::Parity> parseParity(const QString& field) {
    if (field.size() != 1)
        return std::nullopt;
    switch (field.at(0).toLower().unicode()) {
    case u'n':
        return QSerialPort::NoParity;
    case u'e':
        return QSerialPort::EvenParity;
    case u'o':
        return QSerialPort::OddParity;
    case u'm':
        return QSerialPort::MarkParity;
    case u's':
        return QSerialPort::SpaceParity;
    default:
        return std::nullopt;
    }
}

std::optional<QSerialPort::DataBits> parseDataBits(const QString& field) {
    if (field == u"5")
        return QSerialPort::Data5;
    if (field == u"6")
        return QSerialPort::Data6;
    if (field == u"7")
        return QSerialPort::Data7;
    if (field == u"8")
        return QSerialPort::Data8;
    return std::nullopt;
}

std::optional<QSerialPort::StopBits> parseStopBits(const QString& field) {
    if (field == u"1")
        return QSerialPort::OneStop;
    if (field == u"1.5")
        return QSerialPort::OneAndHalfStop;
    if (field == u"2")
        return QSerialPort::TwoStop;
    return std::nullopt;
}
} // namespace

QString lineSettingsText(qint32 bitsPerSecond) {
    return QString::number(bitsPerSecond) + QStringLiteral(",n,8,1");
}

std::optional<LineSettings> parseLineSettings(const QString& text) {
    const QStringList fields = text.split(u',');
    if (fields.size() != 4)
        return std::nullopt;
    const auto speed = parseSpeed(fields[0]);
    const auto parity = parseParity(fields[1]);
    const auto dataBits = parseDataBits(fields[2]);
    const auto stopBits = parseStopBits(fields[3]);
    if (!speed || !parity || !dataBits || !stopBits)
        return std::nullopt;
    return LineSettings{*speed, *parity, *dataBits, *stopBits};
}

} // namespace veld::serial
