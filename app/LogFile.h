#pragma once

#include <QByteArray>
#include <QString>

namespace veld::app {

// A regular file that lines are appended to, written straight through with
// write(): a missing file is created; a FIFO, socket, device or folder is
// refused before it is opened, so opening never waits for a reader; a failed
// write says the system's words and leaves the file as it was before it.
class LogFile {
public:
    LogFile() = default;
    ~LogFile() { close(); }
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // "PATH: not a regular file (a FIFO)" when `path` is there and is not a
    // regular file (or a link to one); empty otherwise.
    static QString refusal(const QString& path);

    // The cause when `path` cannot be opened for appending; empty when it is.
    QString open(const QString& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    const QString& fileName() const { return m_path; }

    // Appends `bytes` whole; the cause when not, the file then cut back to
    // its length before.
    QString append(const QByteArray& bytes);

    // Writes `bytes` whole to `fd`: 0, or the errno of the write that failed.
    static int writeAll(int fd, const QByteArray& bytes, qsizetype* written = nullptr);
    // "PATH: " and the system's words for `errorNumber` ("No space left on device").
    static QString cause(const QString& path, int errorNumber);

private:
    int m_fd = -1;
    QString m_path;
};

} // namespace veld::app
