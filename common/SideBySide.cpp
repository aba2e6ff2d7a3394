#include "common/SideBySide.h"

#include <algorithm>

namespace veld::common {

std::optional<SideBySide> sideBySide(QSize panelFrame, QSize moduleFrame, const QRect& available) {
    constexpr int kGap = 8;
    const int width = panelFrame.width() + kGap + moduleFrame.width();
    const int height = std::max(panelFrame.height(), moduleFrame.height());
    if (width > available.width() || height > available.height())
        return std::nullopt;
    // The panel where it opens on its own (centred) while the module's window
    // fits at its right; else the pair centred. The tops level, as low as the
    // taller window allows.
    const int centred = (available.width() - panelFrame.width()) / 2;
    const int left = centred + panelFrame.width() + kGap + moduleFrame.width() <= available.width()
                         ? centred
                         : (available.width() - width) / 2;
    const int top =
        std::min((available.height() - panelFrame.height()) / 2, available.height() - height);
    const QPoint at = available.topLeft() + QPoint(left, top);
    return SideBySide{QRect(at, panelFrame),
                      QRect(at + QPoint(panelFrame.width() + kGap, 0), moduleFrame)};
}

} // namespace veld::common
