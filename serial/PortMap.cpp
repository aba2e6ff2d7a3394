#include "serial/PortMap.h"

#include "serial/SettingsStore.h"

#include <QtGlobal>

namespace veld::serial {

std::optional<QString> deviceForPort(int portNumber) {
    if (portNumber < kFirstPort || portNumber > kLastPort)
        return std::nullopt;
    const QString name = QStringLiteral("COM%1").arg(portNumber);
#ifdef Q_OS_WIN
    return name;
#else
    const QString fromEnv = qEnvironmentVariable(("VELD_" + name.toLatin1()).constData());
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString fromSettings = SettingsStore::read(SettingsStore::kPorts, name, QString());
    if (!fromSettings.isEmpty())
        return fromSettings;
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

} // namespace veld::serial
