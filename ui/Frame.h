#pragma once

#include <QGroupBox>

namespace veld::ui {

// A group frame with its caption set into the top line of its border, so that
// the controls placed from its outer corner sit inside the border, clear of
// the caption.
class Frame final : public QGroupBox {
    Q_OBJECT

public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace veld::ui
