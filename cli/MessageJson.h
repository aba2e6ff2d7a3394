#pragma once

#include "protocol/ReceiveDecoder.h"

#include <QJsonObject>
#include <QString>

namespace veld::cli {

// One JSON object on one line.
QString jsonLine(const QJsonObject& object);

// A message of watch --json: one object with "event" and its fields, as
// veldctl prints it on its own and a panel answers it to a watch --json client.
QJsonObject eventJson(const protocol::ModuleMessage& m);

} // namespace veld::cli
