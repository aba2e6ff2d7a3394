#pragma once

#include <QString>
#include <optional>

namespace veld::serial {

inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 5;

// The host device of COMn, n = 1 to 5. On Linux: the environment variable
// VELD_COMn, else key COMn of settings group Ports, else /dev/ttyS(n-1).
// On Windows COMn itself. Other numbers have no device.
std::optional<QString> deviceForPort(int portNumber);

} // namespace veld::serial
