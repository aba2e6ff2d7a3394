#include "module/OutputQueue.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veld::module {

namespace {
// Standard error may be the same full pipe: the note goes only when it can
// go at once (a short write to a pipe that has room does not block).
void noteOnStandardError(const char* text) {
    pollfd p{STDERR_FILENO, POLLOUT, 0};
    if (::poll(&p, 1, 0) == 1 && (p.revents & POLLOUT) != 0) {
        [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, text, std::strlen(text));
    }
}
} // namespace

OutputQueue::OutputQueue(int fd, QObject* parent)
    : QObject(parent)
    , m_fd(fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode))
        return;
    // A descriptor of its own on the same pipe, so that O_NONBLOCK does not
    // reach other processes that share the inherited one. Without /proc, the
    // inherited one becomes non-blocking until the end.
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    m_ownFd = ::open(self.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_ownFd >= 0) {
        m_fd = m_ownFd;
    } else {
        m_restoreFlags = ::fcntl(fd, F_GETFL);
        if (m_restoreFlags < 0 || ::fcntl(fd, F_SETFL, m_restoreFlags | O_NONBLOCK) != 0)
            return;
    }
    m_writable = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_writable->setEnabled(false);
    connect(m_writable, &QSocketNotifier::activated, this, &OutputQueue::flush);
    // A pipe's writing end reports an error, and nothing else of this kind,
    // once its reader has gone; that ends an idle program too.
    m_error = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
    connect(m_error, &QSocketNotifier::activated, this, &OutputQueue::checkReader);
}

OutputQueue::~OutputQueue() {
    // One last try; what the reader has not taken by now is lost.
    if (!m_readerGone)
        writeQueued();
    if (m_restoreFlags >= 0)
        ::fcntl(m_fd, F_SETFL, m_restoreFlags);
    if (m_ownFd >= 0)
        ::close(m_ownFd);
}

void OutputQueue::print(const QString& line) {
    if (m_readerGone)
        return;
    const QByteArray bytes = line.toUtf8() + '\n';
    if (m_queued.size() + bytes.size() > kMaxQueued) {
        if (!m_dropping)
            noteOnStandardError("veld-module: standard output is not being read; output lines "
                                "are dropped until it is\n");
        m_dropping = true;
        return;
    }
    m_queued += bytes;
    flush();
}

OutputQueue::Outcome OutputQueue::writeQueued() {
    qsizetype done = 0;
    Outcome outcome = Outcome::Drained;
    while (done < m_queued.size()) {
        const ssize_t n = ::write(m_fd, m_queued.constData() + done,
                                  static_cast<std::size_t>(m_queued.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            outcome = Outcome::Waiting;
            break;
        } else {
            // EPIPE: nobody will read. Any other error loses these lines only.
            if (n < 0 && errno == EPIPE)
                outcome = Outcome::ReaderGone;
            done = m_queued.size();
            break;
        }
    }
    m_queued.remove(0, done);
    return outcome;
}

void OutputQueue::flush() {
    const Outcome outcome = writeQueued();
    if (m_writable)
        m_writable->setEnabled(outcome == Outcome::Waiting);
    if (outcome == Outcome::ReaderGone) {
        m_readerGone = true;
        m_queued.clear();
        if (m_error)
            m_error->setEnabled(false);
        emit readerClosed();
    } else if (outcome == Outcome::Drained) {
        m_dropping = false;
        emit drained();
    }
}

void OutputQueue::checkReader() {
    if (m_readerGone)
        return;
    pollfd p{m_fd, POLLOUT, 0};
    if (::poll(&p, 1, 0) != 1 || (p.revents & POLLERR) == 0)
        return;
    m_readerGone = true;
    m_queued.clear();
    m_writable->setEnabled(false);
    m_error->setEnabled(false);
    emit readerClosed();
}

} // namespace veld::module
