#pragma once

#include <QString>

namespace veld::cli {

// A command line that cannot be carried out: what is wrong with it, and the
// command whose usage goes with the message (empty: the general usage).
struct UsageError {
    QString message;
    QString command;
};

} // namespace veld::cli
