#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace veld::common {

// Where a panel serves the port it holds: one local socket per device,
// $XDG_RUNTIME_DIR/veld/NAME.sock, or veld-UID in the temporary folder when
// XDG_RUNTIME_DIR is unset. NAME is the resolved device path with its
// slashes made dashes, so that a link and its device give the same socket.
namespace controlSocket {

// The folder, made with mode 0700 when `create` and missing. Refused (the
// cause in words) when it is not a folder of this user that only this user
// may enter: another user could then stand in for the panel.
std::optional<QString> folder(bool create, QString* cause = nullptr);

// The socket's file name in the folder for this device ("dev-ttyUSB0.sock"),
// empty when the device does not exist.
QString nameFor(const QString& device);

// The sockets in the folder that are there now, whether they answer or not.
QStringList existing();

} // namespace controlSocket
} // namespace veld::common
