#pragma once

#include "cli/Invocation.h"
#include "serial/SettingsStore.h"

#include <QRect>
#include <optional>

namespace veld::app {

// What the panel keeps of its own windows, beside the port and line settings:
// the traffic window's place on the screen and size, in group "Traffic" under
// "Left", "Top", "Width" and "Height"; none when one is missing or not a whole
// number, or the size is empty. Stored as SettingsStore::write reports.
std::optional<QRect> storedTrafficPlace();
bool storeTrafficPlace(const QRect& place);

// The port the panel starts on: the stored one, the COM item of veld --com N,
// or none for veld --port DEVICE (which opens the device by its path).
serial::SettingsStore::StoredPort startingPort(const cli::PortChoice& choice);

} // namespace veld::app
