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

private:
    QString cause(int errorNumber) const;

    int m_fd = -1;
    QString m_path;
};

} // namespace veld::app
