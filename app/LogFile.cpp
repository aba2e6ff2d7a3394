#include "app/LogFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veld::app {

using namespace Qt::StringLiterals;

namespace {
QString notRegular(const QString& path, mode_t mode) {
    const QString kind = S_ISDIR(mode)    ? u"a folder"_s
                         : S_ISFIFO(mode) ? u"a FIFO"_s
                         : S_ISSOCK(mode) ? u"a socket"_s
                                          : u"a device"_s;
    return path + u": not a regular file ("_s + kind + u')';
}
} // namespace

QString LogFile::refusal(const QString& path) {
    struct stat node {};
    if (::stat(QFile::encodeName(path).constData(), &node) == 0 && !S_ISREG(node.st_mode))
        return notRegular(path, node.st_mode);
    return {};
}

QString LogFile::open(const QString& path) {
    close();
    if (QString refused = refusal(path); !refused.isEmpty())
        return refused;
    m_path = path;
    // Without waiting, should a FIFO have taken the file's place since.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return cause(path, errno);
    struct stat node {};
    const bool known = ::fstat(fd, &node) == 0;
    const int error = errno;
    if (!known || !S_ISREG(node.st_mode)) {
        ::close(fd);
        return known ? notRegular(path, node.st_mode) : cause(path, error);
    }
    m_fd = fd;
    return {};
}

void LogFile::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

QString LogFile::append(const QByteArray& bytes) {
    const off_t before = ::lseek(m_fd, 0, SEEK_END);
    qsizetype written = 0;
    const int error = writeAll(m_fd, bytes, &written);
    if (error == 0)
        return {};
    // A line is in the file whole or not at all.
    if (written > 0 && (before < 0 || ::ftruncate(m_fd, before) != 0))
        return cause(m_path, error) + u"; the last line is cut short"_s;
    return cause(m_path, error);
}

int LogFile::writeAll(int fd, const QByteArray& bytes, qsizetype* written) {
    qsizetype done = 0;
    int error = 0;
    while (done < bytes.size() && error == 0) {
        const ssize_t n =
            ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0)
            error = ENOSPC;
        else if (errno != EINTR)
            error = errno;
    }
    if (written)
        *written = done;
    return error;
}

QString LogFile::cause(const QString& path, int errorNumber) {
    return path + u": "_s + QString::fromLocal8Bit(std::strerror(errorNumber));
}

} // namespace veld::app
