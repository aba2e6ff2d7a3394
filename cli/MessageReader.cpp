#include "cli/MessageReader.h"

#include "common/ByteSpan.h"
#include "common/QuitOnSignal.h"
#include "serial/MSComm.h"

#include <QCoreApplication>

namespace veld::cli {

MessageReader::MessageReader(serial::MSComm& comm, const common::QuitOnSignal& quit)
    : m_comm(comm)
    , m_quit(quit) {}

MessageReader::Status MessageReader::next(QDeadlineTimer deadline,
                                          protocol::ModuleMessage& message) {
    for (;;) {
        if (!m_pending.empty()) {
            message = m_pending.front();
            m_pending.pop_front();
            return Status::Message;
        }
        QCoreApplication::processEvents();
        if (m_quit.received() != 0)
            return Status::Signalled;
        if (!m_comm.portOpen())
            return Status::PortLost;
        if (deadline.hasExpired())
            return Status::TimedOut;
        const auto slice = std::min<qint64>(deadline.remainingTime(), kSliceMs);
        if (!m_comm.waitForInput(static_cast<int>(slice < 0 ? kSliceMs : slice)))
            continue;
        const QByteArray read = m_comm.input();
        for (const protocol::Bytes& whole : m_splitter.feed(common::byteSpan(read)))
            if (const auto decoded = protocol::decodeMessage(protocol::bytesOf(whole)))
                m_pending.push_back(*decoded);
    }
}

} // namespace veld::cli
