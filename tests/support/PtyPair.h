#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace veld::test {

using namespace Qt::StringLiterals; // u"..."_s in every test

// "FE 15 FF" as bytes.
inline QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

// A pseudo-terminal pair: the panel opens the slave as its serial port, the
// test plays the module on the master.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    Q_DISABLE_COPY_MOVE(PtyPair)

    // A link to the panel's end, as /dev/serial/by-id/ has; the device itself.
    QString slavePath() const { return m_link; }
    QString devicePath() const { return m_slavePath; }

    // Module to panel; by default waits until the bytes are at the panel's end.
    void send(const QByteArray& bytes, bool waitForArrival = true);
    // Panel to module: waits up to two seconds for `count` bytes, then takes
    // what follows at once, so that extra bytes show up too.
    QByteArray receive(qsizetype count);
    QByteArray receiveFor(int milliseconds);

    bool exclusive() const; // the panel's end held with TIOCEXCL
    int baudRate() const;   // set by the panel; 0 for an unusual speed
    void closeMaster();     // the device goes away from the panel's side
    bool hangUp();          // a hang-up, the device node left in place (root only)
    // Another program on the panel's end: takes waiting bytes; makes the panel's
    // next read find 0 bytes (canonical end of file) and waits for that read.
    QByteArray takeAtPanel(qsizetype count);
    bool endOfFileRead();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QTemporaryDir m_linkFolder;
    QString m_link;
};

} // namespace veld::test
