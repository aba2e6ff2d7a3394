#pragma once

#include "protocol/CommandTable.h"

#include <array>
#include <optional>
#include <vector>

class QWidget;
namespace Ui {
class frmVELD;
}

namespace veld::app {

// A control of the panel that talks to the port, with the frame it sends
// without data when it is such a button (cmdFlash ... cmdTimeStamp).
struct Sender {
    QWidget* control;
    std::optional<protocol::Command> frame;
};

// The nine that need a port come first: start-up disables them when its port
// fails, a port item enables them. A lost line disables all of them.
inline constexpr std::size_t kPortDependentSenders = 9;
std::array<Sender, 20> senders(const Ui::frmVELD& ui);
// Only the controls, in the same order.
std::vector<QWidget*> senderControls(const Ui::frmVELD& form);

} // namespace veld::app
