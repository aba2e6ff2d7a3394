#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <termios.h>

class QSocketNotifier;

namespace veld::module {

// A termios speed constant in bit/s; empty for speeds the module never uses.
std::optional<std::uint32_t> bitsPerSecond(speed_t speed);

// The module's end of the wire: a pseudo-terminal pair. The panel opens the
// slave device as its serial port; the module reads and writes the master.
// The module keeps a slave descriptor open as well, so that the master never
// reports a hang-up when the panel closes the port, and so that it can read
// the line settings the panel chose.
class PtyEndpoint : public QObject {
    Q_OBJECT

public:
    explicit PtyEndpoint(QObject* parent = nullptr);
    ~PtyEndpoint() override;
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    // Creates the pair. On failure returns false and says why in `error`.
    bool open(QString& error);
    QString devicePath() const { return m_devicePath; }

    // Makes `path` a symbolic link to the device, held by an flock on
    // path.lock for as long as the link is there; both removed again by the
    // destructor. A link to a pseudo-terminal (/dev/pts/N) whose lock nobody
    // holds is a dead module's: it is replaced, whatever the number, and
    // `replaced` says what it pointed at. A link whose lock is held (a live
    // module's) and anything else at `path` are refused.
    bool makeLink(const QString& path, QString& error, QString& replaced);
    QString linkPath() const { return m_linkPath; }
    void removeLink();

    // The speed the panel set on the line, in bit/s; empty for a speed
    // outside the standard list.
    std::optional<std::uint32_t> lineSpeed() const;

    // Writes all bytes to the panel's end.
    bool write(const QByteArray& bytes);

signals:
    void received(const QByteArray& bytes);

private:
    void readAvailable();
    bool lockLink(const QString& path, QString& error);
    void unlockLink();

    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
    QString m_linkPath;
    int m_linkLock = -1;
    QString m_linkLockPath;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace veld::module
