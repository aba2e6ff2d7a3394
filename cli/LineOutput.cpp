#include "cli/LineOutput.h"

#include <cerrno>

namespace veld::cli {

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

} // namespace veld::cli
