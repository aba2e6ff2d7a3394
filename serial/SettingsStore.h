#pragma once

#include <QString>

namespace veld::serial {

// The per-user settings store: text values by section and key, kept by
// QSettings in native format under organisation and application "VELD"
// ($XDG_CONFIG_HOME/VELD/VELD.conf on Linux).
class SettingsStore {
public:
    static constexpr auto kProperties = u"Properties";
    static constexpr auto kPorts = u"Ports";

    // The text last written under the key, or the default when there is none
    // or the stored value is not text.
    static QString read(QStringView section, QStringView key, const QString& defaultValue);
    static void write(QStringView section, QStringView key, const QString& value);
};

} // namespace veld::serial
