#pragma once

class QWidget;

namespace veld::ui {

// Return and the keypad's Enter click the focused push button of the window,
// as they do in most desktop toolkits; Space keeps doing so too, and other
// controls, the text boxes among them, keep their keys.
void clickButtonsOnEnter(QWidget* window);

} // namespace veld::ui
