#pragma once

#include "protocol/FrameSplitter.h"
#include "protocol/ReceiveDecoder.h"

#include <QDeadlineTimer>
#include <deque>

namespace veld::common {
class QuitOnSignal;
}
namespace veld::serial {
class MSComm;
}

namespace veld::cli {

// Takes module messages from an open port one at a time, whole however their
// bytes arrive. It waits in short slices and lets the event loop run between
// them, so that Ctrl+C or SIGTERM is noticed within one slice.
class MessageReader {
public:
    static constexpr int kSliceMs = 100;

    enum class Status { Message, TimedOut, Signalled, PortLost };

    MessageReader(serial::MSComm& comm, const common::QuitOnSignal& quit);

    // The next message, or why none came before the deadline.
    Status next(QDeadlineTimer deadline, protocol::ModuleMessage& message);

private:
    serial::MSComm& m_comm;
    const common::QuitOnSignal& m_quit;
    protocol::FrameSplitter m_splitter{protocol::messageLength};
    std::deque<protocol::ModuleMessage> m_pending;
};

} // namespace veld::cli
