#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace veld::module {

// Lines of text to a file descriptor (standard output) that never hold up the
// event loop, so that signals and the line are served whatever the reader
// does. On a pipe or FIFO the lines are queued and written as the reader
// takes them; while the queue holds kMaxQueued bytes, further lines are
// dropped, with one note on standard error until the queue has emptied.
// Terminals and files are written at once, as before: a terminal is shared
// with the shell, so it never becomes non-blocking.
class OutputQueue : public QObject {
    Q_OBJECT

public:
    static constexpr qsizetype kMaxQueued = qsizetype{1} << 20;

    explicit OutputQueue(int fd, QObject* parent = nullptr);
    ~OutputQueue() override;
    OutputQueue(const OutputQueue&) = delete;
    OutputQueue& operator=(const OutputQueue&) = delete;

    // Adds a newline and writes what the descriptor takes now.
    void print(const QString& line);
    // Bytes printed but not yet written.
    qsizetype queued() const { return m_queued.size(); }

signals:
    // The queue has emptied.
    void drained();
    // The reading end of the pipe has closed (EPIPE).
    void readerClosed();

private:
    enum class Outcome { Drained, Waiting, ReaderGone };
    Outcome writeQueued();
    void flush();
    void checkReader();

    int m_fd = -1;
    int m_ownFd = -1;
    int m_restoreFlags = -1;
    QByteArray m_queued;
    bool m_dropping = false;
    bool m_readerGone = false;
    QSocketNotifier* m_writable = nullptr;
    QSocketNotifier* m_error = nullptr;
};

} // namespace veld::module
