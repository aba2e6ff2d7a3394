#pragma once

#include <QMargins>
#include <QRect>
#include <optional>

// The panel's window and the virtual module's side by side, as the try-out
// (scripts/run.sh) opens them. Each program places its own window by this one
// rule, knowing its own size and taking the other's from here.
namespace veld::common {

// Laid-out sizes at scale 1, frames not included (the tests hold each window to
// its figure).
inline constexpr QSize kPanelSize{723, 586};
inline constexpr QSize kModuleWindowSize{481, 621};
// The window manager's frame around a window (title bar above), as a guess
// for the other program's window and for one not shown yet.
inline constexpr QMargins kFrameGuess{8, 32, 8, 8};

// The two frames, the panel's on the left.
struct SideBySide {
    QRect panel;
    QRect module;
};

// Both frames across `available` with a gap between them, their tops level:
// the panel where it opens on its own (centred) when the module's window fits
// at its right, else the pair centred; nothing when they do not fit across it.
std::optional<SideBySide> sideBySide(QSize panelFrame, QSize moduleFrame, const QRect& available);

} // namespace veld::common
