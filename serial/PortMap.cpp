#include "serial/PortMap.h"

#include "serial/SettingsStore.h"

#include <QFileInfo>
#include <QtGlobal>

namespace veld::serial {

QString portSettingsKey(int portNumber) {
    return QStringLiteral("COM%1").arg(portNumber);
}

QString portEnvironmentVariable(int portNumber) {
    return QStringLiteral("VELD_COM%1").arg(portNumber);
}

std::optional<int> comNumber(const QString& text) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < kFirstPort || n > kLastPort)
        return std::nullopt;
    return n;
}

std::optional<PortMapping> mappingForPort(int portNumber) {
    if (portNumber < kFirstPort || portNumber > kLastPort)
        return std::nullopt;
#ifdef Q_OS_WIN
    return PortMapping{portSettingsKey(portNumber), PortSource::Default};
#else
    const QString fromEnv =
        qEnvironmentVariable(portEnvironmentVariable(portNumber).toLatin1().constData());
    if (!fromEnv.isEmpty())
        return PortMapping{fromEnv, PortSource::Environment};
    const QString fromSettings =
        SettingsStore::read(SettingsStore::kPorts, portSettingsKey(portNumber), QString());
    if (!fromSettings.isEmpty())
        return PortMapping{fromSettings, PortSource::Settings};
    return PortMapping{QStringLiteral("/dev/ttyS%1").arg(portNumber - 1), PortSource::Default};
#endif
}

QStringList portsLeadingTo(const QString& device) {
    QStringList items;
    const QString target = QFileInfo(device).canonicalFilePath();
    for (int n = kFirstPort; n <= kLastPort; ++n)
        if (const auto mapped = deviceForPort(n);
            !target.isEmpty() && mapped && QFileInfo(*mapped).canonicalFilePath() == target)
            items << portSettingsKey(n);
    return items;
}

std::optional<QString> deviceForPort(int portNumber) {
    if (const auto mapping = mappingForPort(portNumber))
        return mapping->device;
    return std::nullopt;
}

} // namespace veld::serial
