#pragma once

#include "cli/Commands.h"
#include "cli/Invocation.h"

#include <QString>
#include <optional>
#include <variant>

namespace veld::common {
class QuitOnSignal;
}

namespace veld::cli {

// The socket of a running panel that serves the port the invocation names
// (--port, --com or the stored port), when it answers. Without --port and
// --com, the one panel serving when exactly one does.
std::optional<QString> servingPanel(const Invocation& invocation);

// Carries out the command through the panel: the same output and exit
// statuses as on its own; a usage error the panel found is returned for the
// caller to print with its usage.
std::variant<int, UsageError> runThroughPanel(const QString& socket, const Invocation& invocation,
                                              const CommandPlan& plan,
                                              const common::QuitOnSignal& quit);

} // namespace veld::cli
