#include "cli/InputLines.h"

#include "cli/MessageReader.h"
#include "common/QuitOnSignal.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace veld::cli {

bool InputLines::read(int ms) {
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (m_ended || ::poll(&in, 1, ms) <= 0)
        return false;
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return false;
    m_ended = n <= 0;
    m_pending.append(buffer, std::max<ssize_t>(n, 0));
    return true;
}

std::optional<QByteArray> InputLines::next() {
    for (;;) {
        const qsizetype newline = m_pending.indexOf('\n');
        if (newline < 0 && !(m_ended && !m_pending.isEmpty()))
            return std::nullopt;
        QByteArray line = m_pending.left(newline < 0 ? m_pending.size() : newline);
        m_pending.remove(0, newline < 0 ? m_pending.size() : newline + 1);
        if (std::exchange(m_dropping, false))
            continue;
        if (newline >= 0 && line.endsWith('\r'))
            line.chop(1);
        ++m_number;
        return line;
    }
}

bool InputLines::dropOverlong() {
    if (m_pending.size() <= kMaxLineBytes)
        return false;
    m_pending.clear();
    if (std::exchange(m_dropping, true))
        return false;
    ++m_number;
    return true;
}

std::optional<int> InputLines::lastLine(int ms, const common::QuitOnSignal& quit) {
    for (const QDeadlineTimer deadline(ms); !m_ended && !deadline.hasExpired();) {
        QCoreApplication::processEvents();
        if (quit.received() != 0)
            break;
        read(static_cast<int>(std::min<qint64>(MessageReader::kSliceMs, deadline.remainingTime())));
    }
    const bool unended = !m_pending.isEmpty() && !m_pending.endsWith('\n');
    const int lines = int(m_pending.count('\n')) + (unended ? 1 : 0);
    return m_ended ? std::optional(m_number + lines - (m_dropping && lines > 0 ? 1 : 0))
                   : std::nullopt;
}

} // namespace veld::cli
