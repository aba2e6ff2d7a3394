#pragma once

#include <QStyledItemDelegate>
#include <algorithm>

namespace veld::app {

// The traffic list's rows, in a fixed-width font: all as wide as the widest
// line kept, and each painted only where it is in view, so that neither the
// number of lines nor their length adds to the cost of a new one. Lines past
// kMaxShownCharacters end in "…" here (Save As and the log keep them whole).
class TrafficRowDelegate : public QStyledItemDelegate {
public:
    static constexpr qsizetype kMaxShownCharacters = 16384;

    using QStyledItemDelegate::QStyledItemDelegate;

    // The longest line kept, in characters.
    void setWidest(qsizetype characters) { m_widest = std::min(characters, kMaxShownCharacters); }
    qsizetype widest() const { return m_widest; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    qsizetype m_widest = 0;
};

} // namespace veld::app
