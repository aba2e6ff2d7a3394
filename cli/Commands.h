#pragma once

#include "protocol/Frame.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

namespace veld::cli {

// A command line that cannot be carried out: what is wrong with it, and the
// command whose usage goes with the message (empty: the general usage).
struct UsageError {
    QString message;
    QString command;
};

// What the command waits for after its frames.
enum class Await {
    Nothing,     // the frames only
    TimeStamp,   // one time-stamp message
    Temperature, // one temperature message
    Messages,    // every message until interrupted
};

// A COM item's device to store as the panel's Assign Ports dialog does.
struct PortAssignment {
    int port = 0;   // 0: list every COM item instead
    QString device; // empty: the stored device is removed, the default back
};

// What one command does on the line. The frames are built when they are sent,
// so that the clock frame carries the time at which it goes out.
struct CommandPlan {
    std::function<std::vector<protocol::Bytes>()> frames; // empty: sends nothing
    Await await = Await::Nothing;
    bool fahrenheit = false;
    bool json = false;
    bool listPorts = false;                   // opens no port: lists the ones there are
    std::optional<PortAssignment> assignment; // opens no port: stores or lists COM items
    QString note;                             // for standard error once the frames have gone out
};

// The options that belong to one command: --fahrenheit (temp), --json (watch,
// ports), --raw (text), --clear (assign).
struct CommandOptions {
    bool fahrenheit = false;
    bool json = false;
    bool raw = false;
    bool clear = false;
};

// The plan for a command and its arguments, each frame exactly as the panel
// sends it for the same action; or why the command line is wrong.
std::variant<CommandPlan, UsageError> planCommand(const QString& command, const QStringList& args,
                                                  const CommandOptions& options);

// veldctl --help: every command and option, the port and the exit status.
QString generalHelp();
// The usage line of one command ("Usage: veldctl [OPTIONS] text TEXT"), or of
// the program when the command is empty or unknown.
QString usageOf(const QString& command);
// veldctl help COMMAND: what the command does and the frame it sends; empty
// for a command that does not exist.
QString commandHelp(const QString& command);

} // namespace veld::cli
