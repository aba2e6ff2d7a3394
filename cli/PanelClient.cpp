#include "cli/PanelClient.h"

#include "cli/ExitStatus.h"
#include "cli/InputLines.h"
#include "cli/MessageReader.h"
#include "cli/Output.h"
#include "common/ControlSocket.h"
#include "common/QuitOnSignal.h"
#include "serial/PortMap.h"
#include "serial/SettingsStore.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

namespace veld::cli {

using namespace Qt::StringLiterals;

namespace {
// How often a wait looks for a signal.
constexpr int kSliceMs = MessageReader::kSliceMs;

bool answers(const QString& path) {
    QLocalSocket socket;
    socket.connectToServer(path);
    return socket.waitForConnected(kSliceMs);
}

// The device the invocation names; empty when none is named or stored.
QString namedDevice(const Invocation& invocation) {
    if (invocation.port.kind == PortChoice::Kind::Path)
        return invocation.port.path;
    int n = invocation.port.comNumber;
    if (invocation.port.kind == PortChoice::Kind::Stored) {
        const serial::SettingsStore::StoredPort stored = serial::SettingsStore::storedPort();
        if (!stored.stored || !stored.number)
            return {};
        n = *stored.number;
    }
    return serial::deviceForPort(n).value_or(QString());
}

// A word as the panel's request splits it back: in double quotes, a quote
// in it tripled.
QString quoted(QString word) {
    return u'"' + word.replace(u"\""_s, u"\"\"\""_s) + u'"';
}

class PanelConnection {
public:
    enum class Got { Line, TimedOut, Signalled, Closed };

    PanelConnection(const QString& path, const common::QuitOnSignal& quit)
        : m_path(path)
        , m_quit(quit) {
        m_socket.connectToServer(path);
        m_socket.waitForConnected(1000);
    }
    bool connected() const { return m_socket.state() == QLocalSocket::ConnectedState; }
    const QString& path() const { return m_path; }

    bool send(const QString& line) {
        m_socket.write(line.toUtf8() + '\n');
        while (m_socket.bytesToWrite() > 0)
            if (!m_socket.waitForBytesWritten(1000))
                return false;
        return true;
    }

    // The next line from the panel, looking for a signal between short waits.
    Got next(QDeadlineTimer deadline, QString& line) {
        for (;;) {
            if (m_socket.canReadLine()) {
                line = QString::fromUtf8(m_socket.readLine()).chopped(1);
                return Got::Line;
            }
            QCoreApplication::processEvents();
            if (m_quit.received() != 0)
                return Got::Signalled;
            if (!connected() && m_socket.bytesAvailable() == 0)
                return Got::Closed;
            if (deadline.hasExpired())
                return Got::TimedOut;
            m_socket.waitForReadyRead(static_cast<int>(std::min<qint64>(
                kSliceMs, deadline.isForever() ? kSliceMs : deadline.remainingTime())));
        }
    }

private:
    QString m_path;
    const common::QuitOnSignal& m_quit;
    QLocalSocket m_socket;
};

// One request and its answer; the value of "ok VALUE" printed.
std::variant<int, UsageError> request(PanelConnection& panel, const QString& line,
                                      const Invocation& invocation) {
    if (!panel.send(line))
        return fail(ExitStatus::PortUnavailable,
                    u"the panel at %1 took no request"_s.arg(panel.path()));
    QString reply;
    // The panel keeps to the timeout itself, twice at most (the frame, then
    // the answer); this is for a panel that hangs.
    switch (panel.next(QDeadlineTimer(2 * invocation.timeoutMs + 2000), reply)) {
    case PanelConnection::Got::Line:
        break;
    case PanelConnection::Got::TimedOut:
        return fail(ExitStatus::NoAnswer, u"no answer from the panel at %1"_s.arg(panel.path()));
    case PanelConnection::Got::Signalled:
        return exitCode(ExitStatus::Done);
    case PanelConnection::Got::Closed:
        return fail(ExitStatus::PortUnavailable,
                    u"the panel at %1 ended the connection"_s.arg(panel.path()));
    }
    if (reply == u"ok"_s)
        return exitCode(ExitStatus::Done);
    if (reply.startsWith(u"ok "_s))
        return writeLine(stdout, reply.mid(3)) == WriteResult::Written
                   ? exitCode(ExitStatus::Done)
                   : fail(ExitStatus::Usage, u"cannot write to standard output"_s);
    if (reply.startsWith(u"error usage: "_s))
        return UsageError{reply.mid(13), invocation.command};
    if (reply.startsWith(u"error no answer: "_s))
        return fail(ExitStatus::NoAnswer, reply.mid(17));
    if (reply.startsWith(u"error not sent: "_s))
        return fail(ExitStatus::PortUnavailable, u"frame not sent: "_s + reply.mid(16));
    const qsizetype colon = reply.indexOf(u": "_s);
    return fail(ExitStatus::PortUnavailable,
                (colon >= 0 && reply.startsWith(u"error "_s) ? reply.mid(colon + 2) : reply) +
                    u" (through the panel at %1)"_s.arg(panel.path()));
}

int watch(PanelConnection& panel) {
    QString line;
    while (!readerGone()) {
        switch (panel.next(QDeadlineTimer(kSliceMs), line)) {
        case PanelConnection::Got::Line:
            if (const auto end = streamLine(line))
                return *end;
            continue;
        case PanelConnection::Got::TimedOut:
            continue;
        case PanelConnection::Got::Signalled:
            return exitCode(ExitStatus::Done);
        case PanelConnection::Got::Closed:
            return fail(ExitStatus::PortUnavailable,
                        u"the panel at %1 closed its port"_s.arg(panel.path()));
        }
    }
    return exitCode(ExitStatus::Done);
}

// text -: each line of standard input through the one connection.
int streamText(PanelConnection& panel, const QString& options, const Invocation& invocation,
               const common::QuitOnSignal& quit) {
    InputLines input;
    bool refused = false;
    for (;;) {
        QCoreApplication::processEvents();
        if (quit.received() != 0)
            break;
        input.read(MessageReader::kSliceMs);
        while (const auto line = input.next()) {
            const auto status = request(
                panel, options + u" text "_s + quoted(QString::fromLocal8Bit(*line)), invocation);
            if (const auto* error = std::get_if<UsageError>(&status)) {
                fail(ExitStatus::Usage, u"line %1: %2"_s.arg(input.number()).arg(error->message));
                refused = true;
            } else if (const int failed = std::get<int>(status); failed != 0) {
                return failed;
            }
        }
        if (input.dropOverlong()) {
            fail(ExitStatus::Usage,
                 u"line %1: longer than %2 bytes, not shown"_s.arg(input.number())
                     .arg(InputLines::kMaxLineBytes));
            refused = true;
        }
        if (input.ended())
            break;
    }
    return exitCode(refused ? ExitStatus::Usage : ExitStatus::Done);
}
} // namespace

std::optional<QString> servingPanel(const Invocation& invocation) {
    if (invocation.port.kind == PortChoice::Kind::Stored) {
        QStringList serving = common::controlSocket::existing();
        serving.removeIf([](const QString& path) { return !answers(path); });
        if (serving.size() == 1)
            return serving.first();
    }
    const QString name = common::controlSocket::nameFor(namedDevice(invocation));
    const auto folder = common::controlSocket::folder(false);
    if (name.isEmpty() || !folder)
        return std::nullopt;
    const QString path = *folder + u'/' + name;
    return answers(path) ? std::optional(path) : std::nullopt;
}

std::variant<int, UsageError> runThroughPanel(const QString& socket, const Invocation& invocation,
                                              const CommandPlan& plan,
                                              const common::QuitOnSignal& quit) {
    PanelConnection panel(socket, quit);
    if (!panel.connected())
        return fail(ExitStatus::PortUnavailable, u"cannot reach the panel at %1"_s.arg(socket));
    // The panel's answer to the first line says whether it lets this user in.
    QStringList options{u"--timeout"_s, QString::number(invocation.timeoutMs)};
    if (!invocation.lineSettings.isEmpty())
        options << u"--speed"_s << invocation.lineSettings.section(u',', 0, 0);
    if (invocation.options.fahrenheit)
        options << u"--fahrenheit"_s;
    if (invocation.options.json)
        options << u"--json"_s;
    if (invocation.options.raw)
        options << u"--raw"_s;
    options << u"--"_s;
    if (invocation.command == u"text"_s && invocation.arguments.value(0) == u"-"_s)
        return streamText(panel, options.join(u' '), invocation, quit);

    QStringList words{invocation.command};
    for (const QString& argument : invocation.arguments)
        words << quoted(argument);
    auto status = request(panel, options.join(u' ') + u' ' + words.join(u' '), invocation);
    if (!std::holds_alternative<int>(status) || std::get<int>(status) != 0 || quit.received() != 0)
        return status;
    if (!plan.note.isEmpty())
        fail(ExitStatus::Done, plan.note);
    return plan.await == Await::Messages ? watch(panel) : exitCode(ExitStatus::Done);
}

} // namespace veld::cli
