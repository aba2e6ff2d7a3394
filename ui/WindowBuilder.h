#pragma once

#include "ui/Controls.h"

class QMainWindow;

namespace veld::ui {

// Builds the window from the layout table: frames, controls, menus and timers,
// each named after its table entry, with its geometry, font, colour, initial
// state and tab order. The client area gets the table's fixed size.
class WindowBuilder {
public:
    static Controls build(QMainWindow& window, const QString& webAddress);
    static QString controlKey(const struct ControlEntry& entry);
};

} // namespace veld::ui
