#pragma once

namespace veld::app {

// Faces that stand in for the window's Tahoma and Times New Roman where they
// are missing: of the same build and of a similar width, so that captions fit
// the fixed control sizes as designed. Once per program, before any window.
void installFontSubstitutes();

} // namespace veld::app
