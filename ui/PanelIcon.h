#pragma once

#include <QIcon>

namespace veld::ui {

// The panel's icon in the sizes a title bar and a task switcher use, for the
// panel and the virtual module; the window system picks the one that fits.
// Larger ones would only slow the start (the desktop file has them).
QIcon panelIcon();

} // namespace veld::ui
