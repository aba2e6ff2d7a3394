#pragma once

#include <QRect>
#include <optional>

namespace veld::app {

// What the panel keeps of its own windows, beside the port and line settings:
// the traffic window's place on the screen and size, in group "Traffic" under
// "Left", "Top", "Width" and "Height"; none when one is missing or not a whole
// number, or the size is empty. Stored as SettingsStore::write reports.
std::optional<QRect> storedTrafficPlace();
bool storeTrafficPlace(const QRect& place);

} // namespace veld::app
