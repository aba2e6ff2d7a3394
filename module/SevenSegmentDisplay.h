#pragma once

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <string>

namespace veld::module {

// Six seven-segment digits with a decimal point each, drawn segment by segment.
// While flashing, the digits go dark and light again twice a second.
class SevenSegmentDisplay : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDigits = 6;
    static constexpr int kFlashIntervalMs = 250;

    explicit SevenSegmentDisplay(QWidget* parent = nullptr);

    // Six characters; bit n-1 of `points` lights the point of digit n (leftmost 1).
    void setContent(const std::string& characters, std::uint8_t points);
    void setFlashing(bool flashing);

    const std::string& characters() const { return m_characters; }
    std::uint8_t points() const { return m_points; }
    bool flashing() const { return m_flashing; }
    // False during the dark half of a flash.
    bool lit() const { return !m_flashing || m_flashPhaseLit; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawDigit(QPainter& painter, const QRectF& cell, std::uint8_t segments, bool point) const;

    std::string m_characters = std::string(kDigits, ' ');
    std::uint8_t m_points = 0;
    bool m_flashing = false;
    bool m_flashPhaseLit = true;
    QTimer m_flashTimer;
};

} // namespace veld::module
