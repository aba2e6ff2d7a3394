#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace veld::serial {

inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 5;

// Where the device of a COM item comes from.
enum class PortSource {
    Environment, // the variable VELD_COMn
    Settings,    // key COMn of settings group Ports
    Default,     // /dev/ttyS(n-1); on Windows COMn itself
};

struct PortMapping {
    QString device;
    PortSource source = PortSource::Default;
};

// The port number a text names ("3"), when it is one of COM1 to COM5.
std::optional<int> comNumber(const QString& text);

// The host device of COMn, n = 1 to 5, and where it comes from. On Linux: the
// environment variable VELD_COMn, else key COMn of settings group Ports, else
// /dev/ttyS(n-1). On Windows COMn itself. Other numbers have no device.
std::optional<PortMapping> mappingForPort(int portNumber);

// The device alone.
std::optional<QString> deviceForPort(int portNumber);

// The COM items whose device is this one, resolved: "COM1", "COM3".
QStringList portsLeadingTo(const QString& device);

// "COMn": the port's key in settings group Ports.
QString portSettingsKey(int portNumber);
// "VELD_COMn".
QString portEnvironmentVariable(int portNumber);

} // namespace veld::serial
