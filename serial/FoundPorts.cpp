#include "serial/FoundPorts.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>
#include <QStringList>
#include <algorithm>

namespace veld::serial {

namespace {
// The device each link in the folder leads to, and the link.
QHash<QString, QString> stableLinksByDevice(const QString& folder) {
    QHash<QString, QString> links;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString device = entry.canonicalFilePath();
        if (entry.isSymLink() && !device.isEmpty() && !links.contains(device))
            links.insert(device, entry.absoluteFilePath());
    }
    return links;
}
} // namespace

QString FoundPort::known() const {
    QStringList parts{description, manufacturer, serialNumber};
    parts.removeAll(QString());
    return parts.join(QStringLiteral(", "));
}

QList<FoundPort> foundPorts() {
    const QHash<QString, QString> links = stableLinksByDevice(QStringLiteral("/dev/serial/by-id"));
    QList<FoundPort> found;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString location = info.systemLocation();
        const QString canonical = QFileInfo(location).canonicalFilePath();
        found.append({links.value(canonical, location), location, info.description(),
                      info.manufacturer(), info.serialNumber()});
    }
    std::sort(found.begin(), found.end(),
              [](const FoundPort& a, const FoundPort& b) { return a.path < b.path; });
    return found;
}

} // namespace veld::serial
