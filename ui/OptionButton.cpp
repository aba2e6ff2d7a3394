#include "ui/OptionButton.h"

#include <QButtonGroup>

namespace veld::ui {

OptionButton::OptionButton(QWidget* parent)
    : QRadioButton(parent) {
    // A click changes the state first and then reports clicked(); a change
    // from anywhere else reports only toggled().
    connect(this, &QAbstractButton::toggled, this, [this](bool checked) {
        if (checked && !m_inClick)
            emit chosen();
    });
    connect(this, &QAbstractButton::clicked, this, [this] {
        m_inClick = false;
        emit chosen();
    });
}

void OptionButton::nextCheckState() {
    m_inClick = true;
    QRadioButton::nextCheckState();
}

void OptionButton::focusInEvent(QFocusEvent* event) {
    QRadioButton::focusInEvent(event);
    if (QButtonGroup* options = group())
        for (QAbstractButton* option : options->buttons())
            option->setFocusPolicy(Qt::StrongFocus);
}

} // namespace veld::ui
