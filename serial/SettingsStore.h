#pragma once

#include <QString>
#include <optional>

namespace veld::serial {

// The per-user settings store: text values by section and key, kept by
// QSettings in native format under organisation and application "VELD"
// ($XDG_CONFIG_HOME/VELD/VELD.conf on Linux). With neither HOME nor
// XDG_CONFIG_HOME set, the home folder comes from the user database.
class SettingsStore {
public:
    static constexpr auto kProperties = u"Properties";
    static constexpr auto kPorts = u"Ports";

    // The text last written under the key, or the default when there is none
    // or the stored value is not text.
    static QString read(QStringView section, QStringView key, const QString& defaultValue);
    // False when the value could not be stored; the cause is logged on
    // veld.serial with the file path and kept for lastError(). A value that
    // was not stored still reads back for the rest of the session.
    static bool write(QStringView section, QStringView key, const QString& value);
    static bool remove(QStringView section, QStringView key);
    // What the panel stores in group Properties: the port under "CommPort"
    // ("1" when absent), as a port number when the text is a whole number
    // (blanks around it allowed), and the line settings under "Settings"
    // ("9600,n,8,1" when absent). The store reports like write().
    struct StoredPort {
        QString text;
        std::optional<int> number;
        bool stored = false; // false: the default
    };
    static StoredPort storedPort();
    static QString storedLineSettings();
    static bool storePort(int portNumber);
    static bool storeLineSettings(const QString& text);

    // The settings file, e.g. ~/.config/VELD/VELD.conf.
    static QString filePath();
    // Cause of the last failed write or remove, in words.
    static QString lastError();
};

} // namespace veld::serial
