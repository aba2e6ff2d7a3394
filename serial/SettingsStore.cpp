#include "serial/SettingsStore.h"

#include <QSettings>
#include <QStringList>

namespace veld::serial {

namespace {
QSettings openStore() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("VELD"),
                     QStringLiteral("VELD"));
}

QString keyPath(QStringView section, QStringView key) {
    return section.toString() + u'/' + key.toString();
}

QString g_lastError;

// Writes the store to its file and remembers why that failed, if it did.
bool syncAndCheck(QSettings& store) {
    store.sync();
    switch (store.status()) {
    case QSettings::NoError:
        g_lastError.clear();
        return true;
    case QSettings::AccessError:
        g_lastError = QStringLiteral("the file could not be written");
        return false;
    case QSettings::FormatError:
        g_lastError = QStringLiteral("the file is not a settings file");
        return false;
    }
    return false;
}
} // namespace

QString SettingsStore::read(QStringView section, QStringView key, const QString& defaultValue) {
    const QSettings store = openStore();
    const QVariant value = store.value(keyPath(section, key));
    if (!value.isValid())
        return defaultValue;
    // An unquoted value with commas, edited by hand, comes back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    if (value.canConvert<QString>())
        return value.toString();
    return defaultValue;
}

bool SettingsStore::write(QStringView section, QStringView key, const QString& value) {
    QSettings store = openStore();
    store.setValue(keyPath(section, key), value);
    return syncAndCheck(store);
}

bool SettingsStore::remove(QStringView section, QStringView key) {
    QSettings store = openStore();
    store.remove(keyPath(section, key));
    return syncAndCheck(store);
}

QString SettingsStore::filePath() {
    return openStore().fileName();
}

QString SettingsStore::lastError() {
    return g_lastError;
}

} // namespace veld::serial
