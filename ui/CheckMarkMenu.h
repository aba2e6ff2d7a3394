#pragma once

class QMenu;

namespace veld::ui {

// The menu draws its checked items with a check mark, also where they form an
// exclusive group, which the style would draw as radio buttons.
void drawCheckMarks(QMenu* menu);

} // namespace veld::ui
