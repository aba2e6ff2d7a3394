#pragma once

#include <QRadioButton>

namespace veld::ui {

// An option button of a group.
//
// It stays a Tab stop of its own: Qt takes the Tab stop away from the other
// buttons of a group whenever one of them gets the focus, so the Tab walk
// would depend on which option last had the focus and would jump over the
// rest of the group. The arrow keys still move within the group.
//
// chosen() is its click event: it comes once for every way the option is
// selected, by a click, a key, setChecked(true) from code, or the "Toggle"
// action of an accessibility client, and also when a click selects it again.
class OptionButton final : public QRadioButton {
    Q_OBJECT

public:
    explicit OptionButton(QWidget* parent = nullptr);

signals:
    void chosen();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void nextCheckState() override;

private:
    // Between the state change of a click and its clicked() signal.
    bool m_inClick = false;
};

} // namespace veld::ui
