#pragma once

#include "protocol/ReceiveDecoder.h"

#include <QString>

namespace veld::cli {

// h:mm:ss, hours without a leading zero: 9:07:05.
QString timeText(int hours, int minutes, int seconds);
// The reading of a temperature message as the panel shows it: 25, -10; 0 for
// a below-zero message of magnitude 0. Fahrenheit rounded as the panel does.
QString temperatureText(const protocol::ModuleMessage& message, bool fahrenheit);
// One line of `watch`: "button 1", "temp -10", "count", "count-reset",
// "time 9:07:05".
QString eventLine(const protocol::ModuleMessage& message);
// The same as one JSON object with "event" and its fields.
QString eventJson(const protocol::ModuleMessage& message);

} // namespace veld::cli
