#include "ui/Frame.h"

#include <QPainter>
#include <QStyle>

namespace veld::ui {

namespace {
constexpr int kCaptionIndent = 6;
}

void Frame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    // An etched line: a dark one with a light one just inside it.
    const QRect border = rect().adjusted(0, metrics.height() / 2, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(border.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(border.adjusted(1, 1, 0, 0));
    if (title().isEmpty())
        return;
    const int gap = metrics.averageCharWidth() / 2 + 1;
    const QRect caption(kCaptionIndent, 0, metrics.horizontalAdvance(title()) + 2 * gap,
                        metrics.height());
    painter.fillRect(caption, palette().window());
    style()->drawItemText(&painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic, palette(),
                          isEnabled(), title(), QPalette::WindowText);
}

} // namespace veld::ui
