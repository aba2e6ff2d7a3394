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

void SettingsStore::write(QStringView section, QStringView key, const QString& value) {
    QSettings store = openStore();
    store.setValue(keyPath(section, key), value);
    store.sync();
}

} // namespace veld::serial
