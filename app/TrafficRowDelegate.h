#pragma once

#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <algorithm>

namespace veld::app {

// The traffic list's rows, in a fixed-width font, each painted only where it
// is in view, so that a line's length adds nothing to the cost of painting
// it. Lines past kMaxShownCharacters end in "…" here (Save As and the log keep
// them whole).
class TrafficRowDelegate : public QStyledItemDelegate {
public:
    static constexpr qsizetype kMaxShownCharacters = 16384;

    using QStyledItemDelegate::QStyledItemDelegate;

    // The width of a row of `characters` characters, and the height of every row.
    static QSize rowSize(const QAbstractItemView& view, qsizetype characters);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    // The texts in view, laid out once: a new line moves the others up a row
    // and repaints them all.
    mutable QHash<QString, QStaticText> m_laidOut;
};

} // namespace veld::app
