#include "cli/Output.h"

#include <QByteArray>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace veld::cli {

using namespace Qt::StringLiterals;

WriteResult writeLine(std::FILE* stream, const QString& line) {
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()),
                                     stream) == static_cast<std::size_t>(bytes.size()) &&
                         std::fflush(stream) == 0;
    if (written)
        return WriteResult::Written;
    return errno == EPIPE ? WriteResult::PipeClosed : WriteResult::Failed;
}

std::optional<int> streamLine(const QString& line) {
    switch (writeLine(stdout, line)) {
    case WriteResult::Written:
        break;
    case WriteResult::PipeClosed:
        return exitCode(ExitStatus::Done);
    case WriteResult::Failed:
        return fail(ExitStatus::Usage, u"cannot write to standard output"_s);
    }
    return std::nullopt;
}

void tellUser(const QString& lines) {
    static_cast<void>(writeLine(stderr, lines));
}

int fail(ExitStatus status, const QString& message) {
    tellUser(u"veldctl: "_s + message);
    return exitCode(status);
}

bool readerGone() {
    pollfd out{STDOUT_FILENO, 0, 0};
    return ::poll(&out, 1, 0) == 1 && (out.revents & (POLLERR | POLLHUP)) != 0;
}

} // namespace veld::cli
