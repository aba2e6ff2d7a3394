#pragma once

namespace Ui {
class frmVELD;
}
class QWidget;

namespace veld::app {

// Faces that stand in for the window's Tahoma and Times New Roman where they
// are missing: of the same build and of a similar width, so that captions fit
// the fixed control sizes as designed. Once per program, before any window.
void installFontSubstitutes();

// What the form cannot hold: fractional point sizes, and the window font's
// letters set a shade closer, which keeps the longest one-line captions inside
// their controls.
void applyPanelFonts(const Ui::frmVELD& form, QWidget& window);

} // namespace veld::app
