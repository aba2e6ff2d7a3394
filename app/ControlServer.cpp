#include "app/ControlServer.h"

#include "cli/Commands.h"
#include "cli/Invocation.h"
#include "cli/MessageJson.h"
#include "common/ControlSocket.h"
#include "protocol/Temperature.h"
#include "protocol/WireText.h"
#include "serial/MSComm.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QProcess>
#include <QTimer>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veld::app {

using namespace Qt::StringLiterals;
using cli::Await;

namespace {
Q_LOGGING_CATEGORY(lcControl, "veld.control")

// A request longer than this is refused and its client dropped.
constexpr qsizetype kMaxRequestBytes = 4096;

// Who is at the other end, as the kernel says.
std::optional<ucred> peerOf(const QLocalSocket& socket) {
    ucred cred{};
    socklen_t size = sizeof cred;
    if (::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred,
                     &size) != 0)
        return std::nullopt;
    return cred;
}

// "veldctl, PID 4242" for the traffic line.
QString clientName(pid_t pid) {
    QFile comm(u"/proc/%1/comm"_s.arg(pid));
    const QString name = comm.open(QIODevice::ReadOnly)
                             ? QString::fromLocal8Bit(comm.readAll()).trimmed()
                             : QString();
    return (name.isEmpty() ? QString() : name + u", "_s) + u"PID %1"_s.arg(pid);
}

bool answers(Await await, protocol::MessageKind kind) {
    using protocol::MessageKind;
    if (await == Await::TimeStamp)
        return kind == MessageKind::TimeStamp;
    return await == Await::Temperature && (kind == MessageKind::TemperatureAtOrAboveZero ||
                                           kind == MessageKind::TemperatureBelowZero);
}
} // namespace

// One client: its requests one at a time, each answered before the next is
// read, so that a fast client is paced by the line.
class ControlConnection : public QObject {
public:
    ControlConnection(ControlServer& server, QLocalSocket* socket, QString label)
        : QObject(&server)
        , m_server(server)
        , m_socket(socket)
        , m_label(std::move(label)) {
        socket->setParent(this);
        connect(socket, &QLocalSocket::readyRead, this, &ControlConnection::takeRequests);
        connect(socket, &QLocalSocket::disconnected, this, &QObject::deleteLater);
        connect(&m_drainCheck, &QTimer::timeout, this, &ControlConnection::checkDrained);
        connect(&m_answerWait, &QTimer::timeout, this, [this] {
            answer(u"error no answer: no answer from %1 within %2 ms"_s.arg(m_server.m_device)
                       .arg(m_timeoutMs));
        });
        m_answerWait.setSingleShot(true);
    }

    void messageDecoded(const protocol::ModuleMessage& m) {
        if (m_await == Await::Messages && !m_draining) {
            write(m_json ? cli::jsonLine(cli::eventJson(m))
                         : QString::fromStdString(protocol::messageLine(m)));
        } else if (!m_draining && m_answerWait.isActive() && answers(m_await, m.kind)) {
            answer(m_await == Await::TimeStamp
                       ? u"ok "_s + QString::fromStdString(
                                        protocol::timeText(m.hours, m.minutes, m.seconds))
                       : u"ok %1"_s.arg(m_fahrenheit ? protocol::fahrenheitOf(m)
                                                     : protocol::celsiusOf(m)));
        }
    }

    // The port closed under the client: what waits is told, and it goes.
    void end(const QString& why) {
        if (m_busy)
            write(u"error not sent: "_s + why);
        m_socket->disconnectFromServer();
    }

private:
    void write(const QString& line) {
        m_socket->write(line.toUtf8() + '\n');
        m_socket->flush();
    }

    void answer(const QString& line) {
        m_answerWait.stop();
        m_drainCheck.stop();
        m_busy = false;
        m_await = Await::Nothing;
        write(line);
        // The next request after the event loop has had its turn.
        QTimer::singleShot(0, this, &ControlConnection::takeRequests);
    }

    void takeRequests() {
        if (m_busy || m_await == Await::Messages)
            return;
        m_pending += m_socket->readAll();
        const qsizetype newline = m_pending.indexOf('\n');
        if (newline < 0) {
            if (m_pending.size() > kMaxRequestBytes) {
                write(u"error usage: a request is one line of at most %1 bytes"_s.arg(
                    kMaxRequestBytes));
                m_socket->disconnectFromServer();
            }
            return;
        }
        const QString line = QString::fromUtf8(m_pending.left(newline)).trimmed();
        m_pending.remove(0, newline + 1);
        m_busy = true;
        carryOut(line);
    }

    void carryOut(const QString& line) {
        serial::MSComm& comm = m_server.m_comm;
        if (line == u"speed"_s)
            return answer(u"ok %1"_s.arg(comm.lineSettings().baudRate));
        const auto parsed = cli::parseInvocation(QProcess::splitCommand(line));
        if (const auto* error = std::get_if<cli::UsageError>(&parsed))
            return answer(u"error usage: "_s + error->message);
        const cli::Invocation& invocation = std::get<cli::Invocation>(parsed);
        if (invocation.help || invocation.version || invocation.command == u"help"_s ||
            invocation.port.kind != cli::PortChoice::Kind::Stored)
            return answer(u"error usage: not taken through the panel: %1"_s.arg(line));
        if (!invocation.lineSettings.isEmpty() &&
            invocation.lineSettings != serial::lineSettingsText(comm.lineSettings()))
            return answer(u"error usage: the panel's line speed is %1 bit/s"_s.arg(
                comm.lineSettings().baudRate));
        const auto planned =
            cli::planCommand(invocation.command, invocation.arguments, invocation.options);
        if (const auto* error = std::get_if<cli::UsageError>(&planned))
            return answer(u"error usage: "_s + error->message);
        const cli::CommandPlan& plan = std::get<cli::CommandPlan>(planned);
        if (plan.listPorts ||
            (invocation.command == u"text"_s && invocation.arguments[0] == u"-"_s))
            return answer(u"error usage: not taken through the panel: %1"_s.arg(line));
        if (plan.frames && !comm.portOpen())
            return answer(u"error not sent: %1 is not open"_s.arg(m_server.m_device));

        m_await = plan.await;
        m_fahrenheit = plan.fahrenheit;
        m_json = plan.json;
        m_timeoutMs = invocation.timeoutMs;
        std::size_t bytes = 0;
        // Each frame whole, and all of them before anything else is read.
        for (const protocol::Bytes& frame :
             plan.frames ? plan.frames() : std::vector<protocol::Bytes>{}) {
            m_server.m_send(frame, m_label);
            bytes += frame.size();
        }
        // The time the bytes need on the line at 10 bits a byte, and the client's timeout.
        const qint32 bps = std::max<qint32>(comm.lineSettings().baudRate, 1);
        m_lineMs = static_cast<int>(bytes * 10000 / std::size_t(bps)) + 1;
        m_drainDeadline = QDeadlineTimer(m_lineMs + m_timeoutMs);
        m_draining = true;
        checkDrained();
    }

    // Looked at without blocking, so that the window goes on meanwhile.
    void checkDrained() {
        serial::MSComm& comm = m_server.m_comm;
        if (!comm.drain(0)) {
            if (!comm.portOpen() || m_drainDeadline.hasExpired())
                return answer(u"error not sent: %1 is not taking data"_s.arg(m_server.m_device));
            m_drainCheck.start(std::min(m_lineMs, 20));
            return;
        }
        m_drainCheck.stop();
        m_draining = false;
        switch (m_await) {
        case Await::Nothing:
            return answer(u"ok"_s);
        case Await::TimeStamp:
        case Await::Temperature:
            m_answerWait.start(m_timeoutMs);
            return;
        case Await::Messages:
            write(u"ok"_s);
            return;
        }
    }

    ControlServer& m_server;
    QLocalSocket* m_socket;
    QString m_label;
    QByteArray m_pending;
    bool m_busy = false;
    bool m_draining = false;
    Await m_await = Await::Nothing;
    bool m_fahrenheit = false;
    bool m_json = false; // watch --json
    int m_timeoutMs = 0;
    int m_lineMs = 1;
    QDeadlineTimer m_drainDeadline;
    QTimer m_drainCheck;
    QTimer m_answerWait;
};

ControlServer::ControlServer(serial::MSComm& comm, SendFn send, QObject* parent)
    : QObject(parent)
    , m_comm(comm)
    , m_send(std::move(send)) {
    // After the event: the control emits "closed" while the port is still open.
    connect(&comm, &serial::MSComm::lineEvent, this, &ControlServer::follow, Qt::QueuedConnection);
}

ControlServer::~ControlServer() {
    stop();
}

void ControlServer::messageDecoded(const protocol::ModuleMessage& message) {
    for (const QPointer<ControlConnection>& connection : m_connections)
        if (connection)
            connection->messageDecoded(message);
}

void ControlServer::stop() {
    for (const QPointer<ControlConnection>& connection : std::exchange(m_connections, {}))
        if (connection)
            connection->end(u"%1 was closed"_s.arg(m_device));
    // Closing removes the socket file.
    delete std::exchange(m_server, nullptr);
    m_path.clear();
    m_device.clear();
}

void ControlServer::follow() {
    const QString device = m_comm.openDevice();
    if (device == m_device)
        return;
    stop();
    if (device.isEmpty())
        return;
    m_device = device;
    QString cause;
    const auto folder = common::controlSocket::folder(true, &cause);
    if (!folder) {
        qCWarning(lcControl, "no control socket for %s: %s", qUtf8Printable(device),
                  qUtf8Printable(cause));
        return;
    }
    const QString path = *folder + u'/' + common::controlSocket::nameFor(device);
    // One that answers belongs to a panel that runs; one that does not was
    // left by a panel that died.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(100)) {
        qCWarning(lcControl, "no control socket for %s: %s is served by another program",
                  qUtf8Printable(device), qUtf8Printable(path));
        return;
    }
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(this);
    if (!m_server->listen(path) ||
        ::chmod(QFile::encodeName(path).constData(), S_IRUSR | S_IWUSR) != 0) {
        qCWarning(lcControl, "no control socket for %s: %s", qUtf8Printable(device),
                  qUtf8Printable(m_server->errorString()));
        delete std::exchange(m_server, nullptr);
        return;
    }
    m_path = path;
    connect(m_server, &QLocalServer::newConnection, this, &ControlServer::accept);
}

void ControlServer::accept() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        const auto peer = peerOf(*socket);
        if (!peer || (peer->uid != ::getuid() && peer->uid != 0)) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            socket->write("error refused: only the panel's own user and root may use it\n");
            socket->flush();
            socket->disconnectFromServer();
            continue;
        }
        std::erase_if(m_connections,
                      [](const QPointer<ControlConnection>& c) { return c.isNull(); });
        m_connections.emplace_back(new ControlConnection(*this, socket, clientName(peer->pid)));
    }
}

} // namespace veld::app
