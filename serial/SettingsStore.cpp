#include "serial/SettingsStore.h"

#include "serial/LineSettings.h"
#include "serial/PortLog.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QStringList>
#include <optional>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace veld::serial {

namespace {
QString g_lastError;
bool g_noHome = false;
// Writes and removals that did not reach the file (no value: removed), so that
// they hold for the rest of the session; QSettings keeps none of them when the
// file has never been read or written.
QHash<QString, std::optional<QString>> g_unstored;

// QSettings takes its folder once per process from XDG_CONFIG_HOME, else from
// HOME, and with neither it would use "/". The user database gives the home.
void ensureHome() {
    [[maybe_unused]] static const bool once = [] {
#ifdef Q_OS_UNIX
        if (qEnvironmentVariableIsEmpty("HOME")) {
            const passwd* user = ::getpwuid(::getuid());
            if (user && user->pw_dir && *user->pw_dir)
                qputenv("HOME", user->pw_dir);
            else
                g_noHome = qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME");
        }
#endif
        return true;
    }();
}

QSettings openStore() {
    ensureHome();
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("VELD"),
                     QStringLiteral("VELD"));
}

QString keyPath(QStringView section, QStringView key) {
    return section.toString() + u'/' + key.toString();
}

// Why the file could not be written, from what is on the disk.
QString diagnose(const QString& path) {
    const QFileInfo file(path);
    if (file.isDir())
        return QStringLiteral("%1 is a folder, not a file").arg(path);
    if (file.exists())
        return file.isWritable() ? QStringLiteral("the file could not be written")
                                 : QStringLiteral("the file is not writable");
    QString folder = file.absolutePath();
    while (!QFileInfo::exists(folder) && folder != QDir::rootPath())
        folder = QFileInfo(folder).absolutePath();
    const QFileInfo existing(folder);
    if (!existing.isDir())
        return QStringLiteral("%1 is a file, not a folder").arg(folder);
    if (!existing.isWritable())
        return QStringLiteral("folder %1 not writable").arg(folder);
    return QStringLiteral("the file could not be written");
}

bool store(const QString& path, const std::optional<QString>& value) {
    QString where; // " in FILE" once there is a file to name
    if (g_noHome) {
        g_lastError = QStringLiteral("no home folder: HOME and XDG_CONFIG_HOME are unset and the "
                                     "user database names none");
    } else {
        QSettings settings = openStore();
        if (value)
            settings.setValue(path, *value);
        else
            settings.remove(path);
        settings.sync();
        switch (settings.status()) {
        case QSettings::NoError:
            g_lastError.clear();
            g_unstored.remove(path);
            return true;
        case QSettings::FormatError:
            g_lastError = QStringLiteral("the file is not in settings format");
            break;
        case QSettings::AccessError:
            g_lastError = diagnose(settings.fileName());
            break;
        }
        where = QStringLiteral(" in ") + settings.fileName();
    }
    qCWarning(lcSerial, "settings not stored%s: %s", qUtf8Printable(where),
              qUtf8Printable(g_lastError));
    g_unstored.insert(path, value);
    return false;
}
} // namespace

namespace {
// The text stored under the key; none when there is none or it is not text.
std::optional<QString> storedText(QStringView section, QStringView key) {
    const QString path = keyPath(section, key);
    if (const auto unstored = g_unstored.constFind(path); unstored != g_unstored.cend())
        return *unstored;
    const QSettings settings = openStore();
    const QVariant value = settings.value(path);
    // An unquoted value with commas, edited by hand, comes back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    if (value.isValid() && value.canConvert<QString>())
        return value.toString();
    return std::nullopt;
}
} // namespace

QString SettingsStore::read(QStringView section, QStringView key, const QString& defaultValue) {
    return storedText(section, key).value_or(defaultValue);
}

bool SettingsStore::write(QStringView section, QStringView key, const QString& value) {
    return store(keyPath(section, key), value);
}

bool SettingsStore::remove(QStringView section, QStringView key) {
    return store(keyPath(section, key), std::nullopt);
}

namespace {
constexpr auto kCommPortKey = u"CommPort";
constexpr auto kSettingsKey = u"Settings";
} // namespace

SettingsStore::StoredPort SettingsStore::storedPort() {
    const auto text = storedText(kProperties, kCommPortKey);
    StoredPort port{text.value_or(QStringLiteral("1")), std::nullopt, text.has_value()};
    bool ok = false;
    const int number = port.text.trimmed().toInt(&ok, 10);
    if (ok)
        port.number = number;
    return port;
}

QString SettingsStore::storedLineSettings() {
    return read(kProperties, kSettingsKey, lineSettingsText(9600));
}

bool SettingsStore::storePort(int portNumber) {
    return write(kProperties, kCommPortKey, QString::number(portNumber));
}

bool SettingsStore::storeLineSettings(const QString& text) {
    return write(kProperties, kSettingsKey, text);
}

QString SettingsStore::filePath() {
    return openStore().fileName();
}

QString SettingsStore::lastError() {
    return g_lastError;
}

} // namespace veld::serial
