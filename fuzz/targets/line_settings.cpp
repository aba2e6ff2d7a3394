// The line settings parser over any stored text, read as UTF-8 and as Latin-1.

#include "FuzzCheck.h"
#include "serial/LineSettings.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

using veld::serial::parseLineSettings;

namespace {
void check(const QString& text) {
    const auto parsed = parseLineSettings(text);
    if (!parsed)
        return;
    // Whatever is accepted has exactly four fields, a speed from the list and
    // values that survive a round trip through their canonical text.
    FUZZ_CHECK(text.split(u',').size() == 4);
    FUZZ_CHECK(parsed->baudRate >= 110 && parsed->baudRate <= 256000);
    const int parity = static_cast<int>(parsed->parity);
    FUZZ_CHECK(parity == 0 || (parity >= 2 && parity <= 5));
    FUZZ_CHECK(parsed->dataBits >= QSerialPort::Data5 && parsed->dataBits <= QSerialPort::Data8);
    const auto again = parseLineSettings(veld::serial::lineSettingsText(*parsed));
    FUZZ_CHECK(again && *again == *parsed);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* chars = reinterpret_cast<const char*>(data);
    const auto length = static_cast<qsizetype>(size);
    check(QString::fromUtf8(chars, length));
    check(QString::fromLatin1(chars, length));
    return 0;
}
