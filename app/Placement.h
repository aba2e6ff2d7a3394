#pragma once

#include <QRect>
#include <optional>

class QMainWindow;
class QWidget;

namespace veld::app {

// Where the panel and its traffic window go on the screen. Rectangles are
// frames (title bar included) unless said otherwise.

// Where a window of `size` goes in `available`: centred where it fits, else at
// the top left, so that its title bar and menus show.
QPoint placedAt(const QSize& window, const QRect& available);

// The free area of the screen under the pointer (of the primary screen when
// the pointer is on none); empty without a screen.
QRect availableUnderPointer();

// Whether the panel shares the screen with the virtual module's window, as the
// try-out opens both (common/SideBySide.h).
enum class Company { Alone, BesideModule };

// Sizes `window` to its laid-out size and places it in `available`. Where that
// size does not fit, the window takes the room there is and its central widget
// scrolls.
void placeOnScreen(QMainWindow& window, const QRect& available, Company company = Company::Alone);

// `frame` made to fit `available`, shrunk where it is larger, moved in.
QRect inside(QRect frame, const QRect& available);

// Where a window of `size` goes: right of the panel's frame, or left of it
// where only the left has room, top edges level, inside `available`;
// narrowed to the room beside the panel, down to `minimumWidth`.
QRect besidePanel(const QRect& panelFrame, const QSize& size, int minimumWidth,
                  const QRect& available);

// The traffic window's geometry (without its frame): its stored place where
// that is on the panel's screen, else beside the panel.
QRect trafficPlace(const QWidget& panel, const QWidget& traffic, std::optional<QRect> stored);

} // namespace veld::app
