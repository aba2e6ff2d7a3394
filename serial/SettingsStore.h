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
    // False when the value could not be stored; lastError() then says why.
    static bool write(QStringView section, QStringView key, const QString& value);
    // Removes the key; false when the file could not be written.
    static bool remove(QStringView section, QStringView key);
    // The settings file.
    static QString filePath();
    // Why the last write or remove failed, in words; empty after one that worked.
    static QString lastError();
};

} // namespace veld::serial
