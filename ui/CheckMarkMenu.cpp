#include "ui/CheckMarkMenu.h"

#include <QMenu>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace veld::ui {

namespace {
class CheckMarkStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            element == CE_MenuItem && item && item->checkType == QStyleOptionMenuItem::Exclusive) {
            QStyleOptionMenuItem checkable(*item);
            checkable.checkType = QStyleOptionMenuItem::NonExclusive;
            QProxyStyle::drawControl(element, &checkable, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};
} // namespace

void drawCheckMarks(QMenu* menu) {
    auto* style = new CheckMarkStyle;
    style->setParent(menu);
    menu->setStyle(style);
}

} // namespace veld::ui
