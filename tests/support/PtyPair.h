#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace veld::test {

// "FE 15 FF" as bytes.
QByteArray hex(const char* text);

// A pseudo-terminal pair: the panel opens the slave path as its serial port,
// the test plays the module on the master side.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // A link of this pair's own to the panel's end, as a /dev/serial/by-id/
    // name is to a USB adapter; the panel opens the device it points at.
    QString slavePath() const { return m_link; }
    QString devicePath() const { return m_slavePath; }

    // Module to panel: writes the bytes and waits until they wait at the panel's
    // end (up to the 4095 bytes a tty's input queue takes), unless told not to
    // (bytes that the panel's end takes as control characters never wait there).
    void send(const QByteArray& bytes, bool waitForArrival = true);
    // Bytes waiting at the panel's end that nobody has read yet.
    int queuedAtPanel() const;

    // Panel to module: waits up to two seconds for `count` bytes, then takes
    // whatever else follows at once, so that extra bytes show up in the result.
    QByteArray receive(qsizetype count);
    // Everything that arrives within the quiet period (nothing expected).
    QByteArray receiveFor(int milliseconds);

    // Whether the panel's end is held exclusively (TIOCEXCL).
    bool exclusive() const;

    // Line speed that the panel set on the line, in bit/s; 0 for an unusual one.
    int baudRate() const;

    // The device goes away from the panel's side: closes the module's end.
    void closeMaster();
    // A hang-up of the panel's end, its device node left in place (needs root).
    bool hangUp();

    // Another program on the panel's end, through a descriptor of its own:
    // switches the line to canonical input, in which the end-of-file character
    // makes the panel's next read find 0 bytes, or back to raw input.
    bool setCanonical(bool on);
    // Takes up to `count` waiting bytes away from the panel.
    QByteArray takeAtPanel(qsizetype count);
    // Whether a read at the panel's end would return now (bytes or end of file).
    bool readableAtPanel() const;

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QTemporaryDir m_linkFolder;
    QString m_link;
};

} // namespace veld::test
