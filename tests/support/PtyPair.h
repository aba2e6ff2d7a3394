#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace veld::test {

// "FE 15 FF" as bytes.
QByteArray hexBytes(const char* hex);

// A pseudo-terminal pair: the panel opens the slave path as its serial port,
// the test plays the module on the master side.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // A link of this pair's own to the panel's end. Device numbers of ptys are
    // reused at once across processes, and so would be the serial port lock
    // named after them; the link's name is never reused.
    QString slavePath() const { return m_link; }
    QString devicePath() const { return m_slavePath; }

    // Module to panel: writes the bytes and waits until they wait at the panel's
    // end (up to the 4095 bytes a tty's input queue takes).
    void send(const QByteArray& bytes);
    // Module to a reader that takes the bytes as they come: writes them only.
    void write(const QByteArray& bytes);
    // Bytes waiting at the panel's end that nobody has read yet.
    int queuedAtPanel() const;

    // Panel to module: waits up to two seconds for `count` bytes, then takes
    // whatever else follows at once, so that extra bytes show up in the result.
    QByteArray receive(qsizetype count);
    // Everything that arrives within the quiet period (nothing expected).
    QByteArray receiveFor(int milliseconds);

    // Line speed that the panel set on the line, in bit/s; 0 for an unusual one.
    int baudRate() const;

    // The device goes away from the panel's side: closes the module's end.
    void closeMaster();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QTemporaryDir m_linkFolder;
    QString m_link;
};

} // namespace veld::test
