#pragma once

#include "protocol/Frame.h"
#include "protocol/ReceiveDecoder.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QLocalServer;

namespace veld::serial {
class MSComm;
}

namespace veld::app {

class ControlConnection;

// Lets scripts drive the module while the panel holds its port: a local
// socket for that port (common/ControlSocket.h), open while the port is.
// One request a line, a veldctl command line ("text 12.34", "--timeout 500
// time", "watch"); one answer a line: "ok", "ok VALUE" (time, temp, speed)
// or "error WORDS", WORDS starting "usage:", "not sent:" or "no answer:".
// After "ok" to watch, each message decoded comes as one line until the
// client goes. Only this user and root may connect, as the socket's peer
// credentials say.
class ControlServer : public QObject {
    Q_OBJECT

public:
    // Writes one frame by the panel's own send path; `client` names who sent
    // it ("veldctl, PID 4242") for the traffic line.
    using SendFn = std::function<void(const protocol::Bytes& frame, const QString& client)>;

    // Follows the port of `comm`: listens for each device it opens, stops
    // when it closes, is lost or changes.
    ControlServer(serial::MSComm& comm, SendFn send, QObject* parent = nullptr);
    ~ControlServer() override;

    // Each message the panel decodes, in order.
    void messageDecoded(const protocol::ModuleMessage& message);
    // The socket's path while serving; empty when not.
    QString socketPath() const { return m_path; }

private:
    friend class ControlConnection;
    void follow();
    void stop();
    void accept();

    serial::MSComm& m_comm;
    SendFn m_send;
    QString m_device;
    QString m_path;
    QLocalServer* m_server = nullptr;
    std::vector<QPointer<ControlConnection>> m_connections;
};

} // namespace veld::app
