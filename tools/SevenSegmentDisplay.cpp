#include "tools/SevenSegmentDisplay.h"

#include "tools/SegmentFont.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace veld::tools {

namespace {
const QColor kBackground(20, 12, 12);
const QColor kLit(255, 40, 30);
const QColor kDark(60, 22, 20);

// One segment as a hexagon from `from` to `to`, `width` thick.
QPolygonF segmentShape(QPointF from, QPointF to, qreal width) {
    const QPointF along = (to - from) / std::max(1.0, QLineF(from, to).length());
    const QPointF across(-along.y(), along.x());
    const qreal h = width / 2;
    return QPolygonF{{from, from + along * h + across * h, to - along * h + across * h, to,
                      to - along * h - across * h, from + along * h - across * h}};
}
} // namespace

SevenSegmentDisplay::SevenSegmentDisplay(QWidget* parent)
    : QWidget(parent) {
    m_flashTimer.setInterval(kFlashIntervalMs);
    connect(&m_flashTimer, &QTimer::timeout, this, [this] {
        m_flashPhaseLit = !m_flashPhaseLit;
        update();
    });
    setMinimumSize(240, 70);
}

QSize SevenSegmentDisplay::sizeHint() const {
    return {420, 120};
}

void SevenSegmentDisplay::setContent(const std::string& characters, std::uint8_t points) {
    std::string six = characters.substr(0, kDigits);
    six.resize(kDigits, ' ');
    if (six == m_characters && points == m_points)
        return;
    m_characters = six;
    m_points = points;
    update();
}

void SevenSegmentDisplay::setFlashing(bool flashing) {
    if (flashing == m_flashing)
        return;
    m_flashing = flashing;
    m_flashPhaseLit = true;
    if (flashing)
        m_flashTimer.start();
    else
        m_flashTimer.stop();
    update();
}

void SevenSegmentDisplay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), kBackground);
    const qreal margin = 8;
    const qreal cellWidth = (width() - 2 * margin) / kDigits;
    for (int i = 0; i < kDigits; ++i) {
        const QRectF cell(margin + i * cellWidth, margin, cellWidth, height() - 2 * margin);
        const bool point = (m_points >> i) & 1u;
        drawDigit(painter, cell, lit() ? segmentsFor(m_characters[static_cast<std::size_t>(i)]) : 0,
                  point && lit());
    }
}

void SevenSegmentDisplay::drawDigit(QPainter& painter, const QRectF& cell, std::uint8_t segments,
                                    bool point) const {
    // Digit box about half as wide as high, centred in its cell with room on
    // the right for the point; segments slant a little.
    const qreal h = cell.height();
    const qreal w = std::min(cell.width() * 0.68, h * 0.52);
    const qreal thick = w * 0.17;
    const qreal slant = w * 0.12;
    const qreal left = cell.left() + (cell.width() - w - thick * 2) / 2;
    const auto at = [&](qreal x, qreal y) { // x, y in 0..1 of the digit box
        return QPointF(left + x * w + (1 - y) * slant, cell.top() + y * h);
    };
    const QPointF tl = at(0, 0), tr = at(1, 0), ml = at(0, 0.5), mr = at(1, 0.5), bl = at(0, 1),
                  br = at(1, 1);
    const std::pair<QPointF, QPointF> ends[7] = {
        {tl, tr}, // a
        {tr, mr}, // b
        {mr, br}, // c
        {bl, br}, // d
        {ml, bl}, // e
        {tl, ml}, // f
        {ml, mr}, // g
    };
    painter.setPen(Qt::NoPen);
    for (int s = 0; s < 7; ++s) {
        painter.setBrush((segments >> s) & 1u ? kLit : kDark);
        const auto [from, to] = ends[s];
        // Shorten each segment a touch so neighbours do not touch.
        const QPointF d = (to - from) * 0.06;
        painter.drawPolygon(segmentShape(from + d, to - d, thick));
    }
    painter.setBrush(point ? kLit : kDark);
    const QPointF dot = at(1, 1) + QPointF(thick * 1.4, -thick * 0.2);
    painter.drawEllipse(dot, thick * 0.6, thick * 0.6);
}

} // namespace veld::tools
