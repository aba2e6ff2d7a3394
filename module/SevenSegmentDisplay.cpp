#include "module/SevenSegmentDisplay.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <array>

namespace veld::module {

namespace {
const QColor kBackground(20, 12, 12);
const QColor kLit(255, 40, 30);
const QColor kDark(60, 22, 20);

// The display's character set, 0 to 9, A b C c d E F H h I J L n o P r S U u
// y, '-' and space in exactly these cases; segment bits a (0) top, b upper
// right, c lower right, d bottom, e lower left, f upper left, g (6) middle.
struct Glyph {
    char character;
    std::uint8_t segments;
};

constexpr std::array<Glyph, 32> kGlyphs{{
    {'0', 0x3F}, {'1', 0x06}, {'2', 0x5B}, {'3', 0x4F}, {'4', 0x66}, {'5', 0x6D}, {'6', 0x7D},
    {'7', 0x07}, {'8', 0x7F}, {'9', 0x6F}, {'A', 0x77}, {'b', 0x7C}, {'C', 0x39}, {'c', 0x58},
    {'d', 0x5E}, {'E', 0x79}, {'F', 0x71}, {'H', 0x76}, {'h', 0x74}, {'I', 0x30}, {'J', 0x1E},
    {'L', 0x38}, {'n', 0x54}, {'o', 0x5C}, {'P', 0x73}, {'r', 0x50}, {'S', 0x6D}, {'U', 0x3E},
    {'u', 0x1C}, {'y', 0x6E}, {'-', 0x40}, {' ', 0x00},
}};

// None lit for a character outside the set.
std::uint8_t segmentsFor(char c) {
    for (const Glyph& g : kGlyphs)
        if (g.character == c)
            return g.segments;
    return 0;
}

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

} // namespace veld::module
