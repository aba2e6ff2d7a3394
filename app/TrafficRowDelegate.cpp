#include "app/TrafficRowDelegate.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QPainter>
#include <algorithm>

namespace veld::app {

using namespace Qt::StringLiterals;

namespace {
QStyle* styleOf(const QStyleOptionViewItem& option) {
    return option.widget ? option.widget->style() : QApplication::style();
}
// Left and right of the text, as the style leaves it in an item view.
int textMargin(const QStyleOptionViewItem& option) {
    return styleOf(option)->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
}
} // namespace

QSize TrafficRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    // One character's row, as the style makes it, widened by the rest.
    QStyleOptionViewItem one = option;
    one.text = u"0"_s;
    one.features |= QStyleOptionViewItem::HasDisplay;
    const QSize size =
        styleOf(option)->sizeFromContents(QStyle::CT_ItemViewItem, &one, QSize(), option.widget);
    const auto rest = static_cast<int>(std::max<qsizetype>(m_widest - 1, 0));
    return {size.width() + rest * option.fontMetrics.horizontalAdvance(u'0'), size.height()};
}

void TrafficRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString line = item.text;
    // Background, selection and focus as the style draws them; the text below.
    item.text.clear();
    QStyle* style = styleOf(option);
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, option.widget);

    // A fixed-width font: the characters in view are known without measuring.
    QRect visible = item.rect;
    if (const auto* view = qobject_cast<const QAbstractScrollArea*>(option.widget))
        visible &= view->viewport()->rect();
    const int advance = std::max(item.fontMetrics.horizontalAdvance(u'0'), 1);
    const int left = item.rect.left() + textMargin(item);
    const qsizetype shown = std::min(line.size(), kMaxShownCharacters);
    const qsizetype first = std::clamp<qsizetype>((visible.left() - left) / advance, 0, shown);
    const qsizetype count = std::min<qsizetype>(visible.width() / advance + 2, shown - first);
    if (count <= 0)
        return;
    QString slice = line.mid(first, count);
    if (line.size() > kMaxShownCharacters && first + count == shown)
        slice.back() = u'\u2026';

    const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled)  ? QPalette::Disabled
                                       : !(item.state & QStyle::State_Active) ? QPalette::Inactive
                                                                              : QPalette::Normal;
    painter->save();
    painter->setFont(item.font);
    painter->setPen(item.palette.color(
        group, item.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect textRect(left + static_cast<int>(first) * advance, item.rect.top(),
                         static_cast<int>(count + 1) * advance, item.rect.height());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, slice);
    painter->restore();
}

} // namespace veld::app
