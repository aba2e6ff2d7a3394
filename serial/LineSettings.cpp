#include "serial/LineSettings.h"

#include <QStringList>
#include <array>
#include <utility>

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

// Each field's text and value, as parsed (parity in either case) and written.
constexpr std::array<std::pair<char16_t, QSerialPort::Parity>, 5> kParities{{
    {u'n', QSerialPort::NoParity},
    {u'e', QSerialPort::EvenParity},
    {u'o', QSerialPort::OddParity},
    {u'm', QSerialPort::MarkParity},
    {u's', QSerialPort::SpaceParity},
}};
constexpr std::array<std::pair<QStringView, QSerialPort::StopBits>, 3> kStopBits{{
    {u"1", QSerialPort::OneStop},
    {u"1.5", QSerialPort::OneAndHalfStop},
    {u"2", QSerialPort::TwoStop},
}};

std::optional<QSerialPort::Parity> parseParity(const QString& field) {
    for (const auto& [letter, parity] : kParities)
        if (field.size() == 1 && field.at(0).toLower() == QChar(letter))
            return parity;
    return std::nullopt;
}

std::optional<QSerialPort::DataBits> parseDataBits(const QString& field) {
    for (const auto bits :
         {QSerialPort::Data5, QSerialPort::Data6, QSerialPort::Data7, QSerialPort::Data8})
        if (field == QString::number(bits))
            return bits;
    return std::nullopt;
}

std::optional<QSerialPort::StopBits> parseStopBits(const QString& field) {
    for (const auto& [text, stopBits] : kStopBits)
        if (field == text)
            return stopBits;
    return std::nullopt;
}
} // namespace

QString lineSettingsText(qint32 bitsPerSecond) {
    return QString::number(bitsPerSecond) + QStringLiteral(",n,8,1");
}

QString lineSettingsText(const LineSettings& settings) {
    QString text = QString::number(settings.baudRate) + u',';
    for (const auto& [letter, parity] : kParities)
        if (parity == settings.parity)
            text += QChar(letter);
    text += u',' + QString::number(settings.dataBits) + u',';
    for (const auto& [stopText, stopBits] : kStopBits)
        if (stopBits == settings.stopBits)
            text += stopText;
    return text;
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
