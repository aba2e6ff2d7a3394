#pragma once

#include "protocol/CommandTable.h"

namespace veld::app {

// How a handler writes its frame: asking first whether the port is open, or not.
enum class SendRule { Guarded, Unguarded };

// What sending the command does to the temperature polling flag.
enum class PollingEffect { Clears, Leaves };

struct HandlerRule {
    SendRule send;
    PollingEffect polling;
};

// The rule of the panel's handler that sends `command`.
HandlerRule handlerRule(protocol::Command command);

} // namespace veld::app
