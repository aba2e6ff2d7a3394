#pragma once

#include "cli/UsageError.h"
#include "protocol/Frame.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <variant>

namespace veld::cli {

// What the command waits for after its frame.
enum class Await {
    Nothing,     // the frame only
    TimeStamp,   // one time-stamp message
    Temperature, // one temperature message
    Messages,    // every message until interrupted
};

// What one command does on the line. The frame is built when it is sent, so
// that the clock frame carries the time at which it goes out.
struct CommandPlan {
    std::function<protocol::Bytes()> frame; // empty: sends nothing
    Await await = Await::Nothing;
    bool fahrenheit = false;
    bool json = false;
};

// The plan for a command and its arguments, each frame exactly as the panel
// sends it for the same action; or why the arguments are wrong.
std::variant<CommandPlan, UsageError> planCommand(const QString& command,
                                                  const QStringList& arguments);

} // namespace veld::cli
