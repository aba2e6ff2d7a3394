#include "app/TrafficRowDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <algorithm>

namespace veld::app {

using namespace Qt::StringLiterals;

namespace {
// Several screens' worth of rows.
constexpr qsizetype kLaidOutTexts = 512;

QStyle* styleOf(const QStyleOptionViewItem& option) {
    return option.widget ? option.widget->style() : QApplication::style();
}
// Left and right of the text, as the style leaves it in an item view.
int textMargin(const QStyleOptionViewItem& option) {
    return styleOf(option)->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
}
} // namespace

QSize TrafficRowDelegate::rowSize(const QAbstractItemView& view, qsizetype characters) {
    // One character's row, as the style makes it, widened by the rest.
    QStyleOptionViewItem one;
    one.initFrom(&view);
    one.font = view.font();
    one.fontMetrics = QFontMetrics(one.font);
    one.widget = &view;
    one.text = u"0"_s;
    one.features = QStyleOptionViewItem::HasDisplay;
    const QSize size =
        view.style()->sizeFromContents(QStyle::CT_ItemViewItem, &one, QSize(), &view);
    const auto rest =
        static_cast<int>(std::clamp<qsizetype>(characters - 1, 0, kMaxShownCharacters));
    return {size.width() + rest * one.fontMetrics.horizontalAdvance(u'0'), size.height()};
}

void TrafficRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    // Background, selection and focus as the style draws them, without the
    // text; the line itself is read once, neither copied nor scanned.
    QStyle* style = styleOf(option);
    style->drawControl(QStyle::CE_ItemViewItem, &option, painter, option.widget);
    const QString line = index.data(Qt::DisplayRole).toString();

    // A fixed-width font: the characters in view are known without measuring.
    QRect visible = option.rect;
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
        visible &= view->viewport()->rect();
    const QFontMetrics& metrics = option.fontMetrics;
    const int advance = std::max(metrics.horizontalAdvance(u'0'), 1);
    const int left = option.rect.left() + textMargin(option);
    const qsizetype shown = std::min(line.size(), kMaxShownCharacters);
    const qsizetype first = std::clamp<qsizetype>((visible.left() - left) / advance, 0, shown);
    const qsizetype count = std::min<qsizetype>(visible.width() / advance + 2, shown - first);
    if (count <= 0)
        return;
    QString slice = line.mid(first, count);
    if (line.size() > kMaxShownCharacters && first + count == shown)
        slice.back() = u'\u2026';

    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled)  ? QPalette::Disabled
                                       : !(option.state & QStyle::State_Active) ? QPalette::Inactive
                                                                                : QPalette::Normal;
    painter->save();
    painter->setFont(option.font);
    painter->setPen(option.palette.color(group, (option.state & QStyle::State_Selected)
                                                    ? QPalette::HighlightedText
                                                    : QPalette::Text));
    if (m_laidOut.size() > kLaidOutTexts)
        m_laidOut.clear();
    QStaticText& text = m_laidOut[slice];
    if (text.text().isEmpty()) {
        text.setText(slice);
        text.setTextFormat(Qt::PlainText);
        text.prepare(painter->transform(), option.font);
    }
    painter->drawStaticText(
        QPoint(left + static_cast<int>(first) * advance,
               option.rect.top() + (option.rect.height() - metrics.height()) / 2),
        text);
    painter->restore();
}

} // namespace veld::app
