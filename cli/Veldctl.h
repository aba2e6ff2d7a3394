#pragma once

#include <QStringList>

namespace veld::common {
class QuitOnSignal;
}

namespace veld::cli {

// The whole of veldctl but main(): reads the arguments, opens the port, sends
// the command's frame, prints what it waits for and returns the exit status.
// The port is closed when it returns; a signal that ended it is left for the
// caller to act on after that.
int runVeldctl(const QStringList& arguments, const common::QuitOnSignal& quit);

} // namespace veld::cli
