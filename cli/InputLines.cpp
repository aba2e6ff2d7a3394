#include "cli/InputLines.h"

#include "cli/MessageReader.h"
#include "common/QuitOnSignal.h"

#include <QCoreApplication>
#include <cerrno>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace veld::cli {

InputEnd forEachInputLine(const common::QuitOnSignal& quit, const std::function<bool()>& lost,
                          const std::function<bool(const InputLine&)>& take) {
    QByteArray pending;
    bool discarding = false;
    int lineNumber = 0;
    for (bool end = false; !end;) {
        QCoreApplication::processEvents();
        if (quit.received() != 0)
            break;
        if (lost())
            return InputEnd::Lost;
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (::poll(&in, 1, MessageReader::kSliceMs) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        end = n <= 0;
        pending.append(buffer, std::max<ssize_t>(n, 0));
        for (qsizetype newline;
             (newline = pending.indexOf('\n')) >= 0 || (end && !pending.isEmpty());) {
            const QByteArray line = pending.left(newline < 0 ? pending.size() : newline);
            pending.remove(0, newline < 0 ? pending.size() : newline + 1);
            if (!std::exchange(discarding, false) && !take({line, ++lineNumber}))
                return InputEnd::Stopped;
        }
        if (pending.size() > InputLine::kMaxBytes) {
            if (!discarding && !take({{}, ++lineNumber, true}))
                return InputEnd::Stopped;
            discarding = true;
            pending.clear();
        }
    }
    return InputEnd::Ended;
}

} // namespace veld::cli
