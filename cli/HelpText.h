#pragma once

#include <QString>

namespace veld::cli {

// veldctl --help: every command and option, the port and the exit status.
QString generalHelp();
// The usage line of one command ("veldctl [OPTIONS] text TEXT"), or of the
// program when the command is empty or unknown.
QString usageOf(const QString& command);
// veldctl help COMMAND: what the command does and the frame it sends; empty
// for a command that does not exist.
QString commandHelp(const QString& command);

} // namespace veld::cli
