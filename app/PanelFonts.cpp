#include "app/PanelFonts.h"

#include "ui_frmVELD.h"

#include <QFont>

namespace veld::app {

using namespace Qt::StringLiterals;

namespace {
void setPointSize(QWidget* widget, double points) {
    QFont font = widget->font();
    font.setPointSizeF(points);
    widget->setFont(font);
}
} // namespace

void installFontSubstitutes() {
    QFont::insertSubstitutions(u"Tahoma"_s, {u"DejaVu Sans Condensed"_s, u"DejaVu Sans"_s});
    QFont::insertSubstitutions(
        u"Times New Roman"_s,
        {u"Liberation Serif"_s, u"DejaVu Serif Condensed"_s, u"DejaVu Serif"_s});
}

void applyPanelFonts(const Ui::frmVELD& form, QWidget& window) {
    for (QWidget* w :
         {static_cast<QWidget*>(form.lblButton1), static_cast<QWidget*>(form.lblButton2),
          static_cast<QWidget*>(form.lblButton3)})
        setPointSize(w, 9.75);
    for (QWidget* w : {static_cast<QWidget*>(form.txtDigit), static_cast<QWidget*>(form.lblUnit),
                       static_cast<QWidget*>(form.lblCounter)})
        setPointSize(w, 15.75);
    QFont windowFont = window.font();
    windowFont.setLetterSpacing(QFont::PercentageSpacing, 98);
    window.setFont(windowFont);
}

} // namespace veld::app
