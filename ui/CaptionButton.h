#pragma once

#include <QPushButton>

namespace veld::ui {

// A push button whose caption wraps onto further lines when it is wider than
// the button, as the window's fixed button sizes expect.
class CaptionButton final : public QPushButton {
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace veld::ui
