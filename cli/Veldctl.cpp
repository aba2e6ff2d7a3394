#include "cli/Veldctl.h"

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/InputLines.h"
#include "cli/Invocation.h"
#include "cli/MessageJson.h"
#include "cli/MessageReader.h"
#include "cli/Output.h"
#include "cli/PanelClient.h"
#include "common/QuitOnSignal.h"
#include "protocol/WireText.h"
#include "serial/FoundPorts.h"
#include "serial/LineSettings.h"
#include "serial/MSComm.h"
#include "serial/PortMap.h"
#include "serial/SettingsStore.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

namespace veld::cli {

using namespace Qt::StringLiterals;
using protocol::MessageKind;
using serial::SettingsStore;
using Status = MessageReader::Status;

namespace {
int usageError(const UsageError& error) {
    tellUser(u"veldctl: "_s + error.message + u'\n' + usageOf(error.command) + u'\n' +
             (error.command.isEmpty() ? u"Try 'veldctl --help'."_s
                                      : u"Try 'veldctl help %1'."_s.arg(error.command)));
    return exitCode(ExitStatus::Usage);
}

int print(const QString& text) {
    return writeLine(stdout, text) == WriteResult::Failed
               ? fail(ExitStatus::Usage, u"cannot write to standard output"_s)
               : exitCode(ExitStatus::Done);
}

int help(const QStringList& arguments) {
    if (arguments.isEmpty())
        return print(generalHelp().chopped(1));
    if (arguments.size() > 1)
        return usageError({u"help takes one command name"_s, u"help"_s});
    const QString text = commandHelp(arguments[0]);
    if (text.isEmpty())
        return usageError({u"unknown command '%1'"_s.arg(arguments[0]), {}});
    return print(text.chopped(1));
}

struct OpenedPort {
    QString device; // as the user or the settings named it
    qint32 bitsPerSecond = 0;
};

// Opens the chosen port at the chosen line settings, falling back on the
// panel's stored ones as its start-up does; the settings are only read.
// When it cannot: the cause, one line naming the device; nothing when no port
// is given and none is stored.
std::variant<OpenedPort, QString, std::nullopt_t> openPort(serial::MSComm& comm,
                                                           const Invocation& invocation) {
    const QString settings = invocation.lineSettings.isEmpty() ? SettingsStore::storedLineSettings()
                                                               : invocation.lineSettings;
    const auto line = serial::parseLineSettings(settings);
    if (!line)
        return u"the stored line settings '%1' are not valid; give --speed"_s.arg(settings);

    const bool byPath = invocation.port.kind == PortChoice::Kind::Path;
    int comNumber = invocation.port.comNumber;
    QString stored;
    if (invocation.port.kind == PortChoice::Kind::Stored) {
        // /dev/ttyS0 is on most PCs with nothing on it: no port is a usage error.
        const SettingsStore::StoredPort port = SettingsStore::storedPort();
        if (!port.stored)
            return std::nullopt;
        stored = port.text;
        comNumber = port.number.value_or(0);
    }
    const auto device =
        byPath ? std::optional(invocation.port.path) : serial::deviceForPort(comNumber);
    if (!device)
        return u"the stored port '%1' is not 1 to 5; give --port or --com"_s.arg(stored);
    const QString named = byPath ? *device : u"%1 (COM%2)"_s.arg(*device).arg(comNumber);

    if (!comm.setInputLen(0) || !comm.setInputMode(serial::MSComm::kInputModeBinary) ||
        !comm.setSettings(settings))
        return u"cannot use %1 at '%2': %3"_s.arg(named, settings, comm.failureCause());
    const bool open =
        byPath ? comm.openPath(*device) : comm.setCommPort(comNumber) && comm.setPortOpen(true);
    if (!open)
        return u"cannot open %1: %2"_s.arg(named, comm.failureCause());
    return OpenedPort{*device, line->baudRate};
}

bool answers(Await await, MessageKind kind) {
    if (await == Await::TimeStamp)
        return kind == MessageKind::TimeStamp;
    return kind == MessageKind::TemperatureAtOrAboveZero ||
           kind == MessageKind::TemperatureBelowZero;
}

int portLost(const OpenedPort& port) {
    return fail(ExitStatus::PortUnavailable, u"lost %1"_s.arg(port.device));
}

int awaitAnswer(MessageReader& reader, const CommandPlan& plan, const OpenedPort& port,
                int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    protocol::ModuleMessage message;
    for (;;) {
        switch (reader.next(deadline, message)) {
        case Status::Message:
            if (!answers(plan.await, message.kind))
                continue;
            return print(plan.await == Await::TimeStamp
                             ? QString::fromStdString(protocol::timeText(
                                   message.hours, message.minutes, message.seconds))
                             : QString::number(plan.fahrenheit ? protocol::fahrenheitOf(message)
                                                               : protocol::celsiusOf(message)));
        case Status::TimedOut:
            return fail(ExitStatus::NoAnswer,
                        u"no answer from %1 within %2 ms"_s.arg(port.device).arg(timeoutMs));
        case Status::Signalled:
            return exitCode(ExitStatus::Done);
        case Status::PortLost:
            return portLost(port);
        }
    }
}

int watch(MessageReader& reader, const CommandPlan& plan, const OpenedPort& port) {
    protocol::ModuleMessage message;
    // Looked at between short waits, so that it ends without waiting for a message.
    while (!readerGone()) {
        switch (reader.next(QDeadlineTimer(MessageReader::kSliceMs), message)) {
        case Status::Message:
            if (const auto end =
                    streamLine(plan.json ? jsonLine(eventJson(message))
                                         : QString::fromStdString(protocol::messageLine(message))))
                return *end;
            continue;
        case Status::TimedOut:
            continue;
        case Status::Signalled:
            return exitCode(ExitStatus::Done);
        case Status::PortLost:
            return portLost(port);
        }
    }
    return exitCode(ExitStatus::Done);
}

enum class Sent { Whole, Stalled, Lost, Signalled };

// Sends the frames and waits until they have left the port: within the time
// their bytes need on the line (10 bits a byte) and the user's timeout, in
// short slices so that an ending signal is taken at once. Frames that have not
// left by then, or when a signal comes, are discarded from the output queue:
// the next frame must not go out behind half of one. A closed port restores
// the line's settings, which must not change under bytes still on their way.
Sent send(serial::MSComm& comm, const std::vector<protocol::Bytes>& frames, const OpenedPort& port,
          int timeoutMs, const common::QuitOnSignal& quit) {
    std::size_t bytes = 0;
    for (const protocol::Bytes& frame : frames) {
        comm.setOutput(frame);
        bytes += frame.size();
    }
    const auto lineMs = static_cast<int>(bytes * 10 * 1000 / std::size_t(port.bitsPerSecond)) + 1;
    const QDeadlineTimer deadline(lineMs + timeoutMs);
    while (!comm.drain(
        static_cast<int>(std::min<qint64>(MessageReader::kSliceMs, deadline.remainingTime())))) {
        QCoreApplication::processEvents();
        if (!comm.portOpen())
            return Sent::Lost;
        if (quit.received() != 0 || deadline.hasExpired()) {
            comm.discardOutput();
            return quit.received() != 0 ? Sent::Signalled : Sent::Stalled;
        }
    }
    return Sent::Whole;
}

QString notTakingData(const OpenedPort& port) {
    return u"frame not sent: %1 is not taking data"_s.arg(port.device);
}

// text - stopped at line `first`: the cause and which lines were not shown;
// a signal meanwhile ends it as in any other wait.
int streamFailed(const QString& cause, int first, InputLines& input, int timeoutMs,
                 const common::QuitOnSignal& quit) {
    const std::optional<int> last = input.lastLine(timeoutMs, quit);
    if (quit.received() != 0)
        return exitCode(ExitStatus::Done);
    if (last && *last < first)
        return fail(ExitStatus::PortUnavailable, u"%1 after line %2"_s.arg(cause).arg(first - 1));
    const QString notShown = !last            ? u"line %1 and after not shown"_s.arg(first)
                             : *last == first ? u"line %1 not shown"_s.arg(first)
                                              : u"lines %1 to %2 not shown"_s.arg(first).arg(*last);
    return fail(ExitStatus::PortUnavailable, u"line %1: %2; %3"_s.arg(first).arg(cause, notShown));
}

// text -: each line of standard input as it comes, by the rules of text,
// until the input ends or a signal comes.
int streamText(serial::MSComm& comm, const Invocation& invocation, const OpenedPort& port,
               const common::QuitOnSignal& quit) {
    InputLines input;
    bool refused = false;
    const QString lost = u"lost %1"_s.arg(port.device);
    for (;;) {
        QCoreApplication::processEvents();
        if (quit.received() != 0)
            break;
        if (!comm.portOpen())
            return streamFailed(lost, input.number() + 1, input, invocation.timeoutMs, quit);
        input.read(MessageReader::kSliceMs);
        while (const auto line = input.next()) {
            const auto planned =
                planCommand(u"text"_s, {QString::fromLocal8Bit(*line)}, invocation.options);
            if (const auto* error = std::get_if<UsageError>(&planned)) {
                tellUser(u"veldctl: line %1: %2"_s.arg(input.number()).arg(error->message));
                refused = true;
                continue;
            }
            switch (send(comm, std::get<CommandPlan>(planned).frames(), port, invocation.timeoutMs,
                         quit)) {
            case Sent::Whole:
                continue;
            case Sent::Signalled:
                return exitCode(ExitStatus::Done);
            case Sent::Lost:
                return streamFailed(lost, input.number(), input, invocation.timeoutMs, quit);
            case Sent::Stalled:
                return streamFailed(notTakingData(port), input.number(), input,
                                    invocation.timeoutMs, quit);
            }
        }
        if (input.dropOverlong()) {
            tellUser(u"veldctl: line %1: longer than %2 bytes, not shown"_s.arg(input.number())
                         .arg(InputLines::kMaxLineBytes));
            refused = true;
        }
        if (input.ended())
            break;
    }
    return exitCode(refused ? ExitStatus::Usage : ExitStatus::Done);
}

// ports: one line each, tab between the fields, or one JSON object.
int listPorts(bool json) {
    for (const serial::FoundPort& found : serial::foundPorts()) {
        const QStringList items = serial::portsLeadingTo(found.systemLocation);
        const QString line =
            json ? jsonLine({{u"path"_s, found.path},
                             {u"device"_s, found.systemLocation},
                             {u"description"_s, found.description},
                             {u"manufacturer"_s, found.manufacturer},
                             {u"serial"_s, found.serialNumber},
                             {u"com"_s, QJsonArray::fromStringList(items)}})
                 : QStringList{found.path, found.systemLocation, found.known(), items.join(u' ')}
                       .join(u'\t');
        if (const int status = print(line); status != 0)
            return status;
    }
    return exitCode(ExitStatus::Done);
}
// assign: stores or removes COMn's device as the Assign Ports dialog does,
// or lists every COM item.
int assign(const PortAssignment& assignment) {
    if (assignment.port == 0) {
        for (int port = serial::kFirstPort; port <= serial::kLastPort; ++port) {
            const auto mapping = serial::mappingForPort(port).value_or(serial::PortMapping{});
            const QString source = mapping.source == serial::PortSource::Environment
                                       ? u"environment"_s
                                   : mapping.source == serial::PortSource::Settings ? u"settings"_s
                                                                                    : u"default"_s;
            if (const int status = print(
                    QStringList{serial::portSettingsKey(port), mapping.device, source}.join(u'\t'));
                status != 0)
                return status;
        }
        return exitCode(ExitStatus::Done);
    }
    const QString key = serial::portSettingsKey(assignment.port);
    const bool stored = assignment.device.isEmpty()
                            ? SettingsStore::remove(SettingsStore::kPorts, key)
                            : SettingsStore::write(SettingsStore::kPorts, key, assignment.device);
    if (!stored)
        return fail(ExitStatus::Usage,
                    u"%1 not stored in %2: %3"_s.arg(key, SettingsStore::filePath(),
                                                     SettingsStore::lastError()));
    if (const auto mapping = serial::mappingForPort(assignment.port);
        mapping && mapping->source == serial::PortSource::Environment)
        tellUser(u"veldctl: %1 is set, so %2 still leads to %3"_s.arg(
            serial::portEnvironmentVariable(assignment.port), key, mapping->device));
    return exitCode(ExitStatus::Done);
}
} // namespace

int runVeldctl(const QStringList& arguments, const common::QuitOnSignal& quit) {
    const auto parsed = parseInvocation(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed))
        return usageError(*error);
    const Invocation& invocation = std::get<Invocation>(parsed);
    // Standard error is for what the user must act on: the serial control's
    // own lines (a stale lock removed, a warning that repeats the one line
    // veldctl prints) only with --verbose. QT_LOGGING_RULES still decides last.
    if (!invocation.verbose)
        QLoggingCategory::setFilterRules(
            QStringLiteral("veld.serial.info=false\nveld.serial.warning=false"));
    if (invocation.help)
        return print(generalHelp().chopped(1));
    if (invocation.version)
        return print(u"veldctl "_s + QCoreApplication::applicationVersion());
    if (invocation.command == u"help"_s)
        return help(invocation.arguments);

    const auto planned = planCommand(invocation.command, invocation.arguments, invocation.options);
    if (const auto* error = std::get_if<UsageError>(&planned))
        return usageError(*error);
    const CommandPlan& plan = std::get<CommandPlan>(planned);

    if (plan.listPorts)
        return listPorts(plan.json);
    if (plan.assignment)
        return assign(*plan.assignment);
    const bool stream = invocation.command == u"text"_s && invocation.arguments[0] == u"-"_s;
    // A panel that holds the port serves it through its socket.
    if (const auto panel = invocation.direct ? std::nullopt : servingPanel(invocation)) {
        const auto status = runThroughPanel(*panel, invocation, plan, quit);
        const auto* error = std::get_if<UsageError>(&status);
        return error ? usageError(*error) : std::get<int>(status);
    }

    serial::MSComm comm;
    const auto opened = openPort(comm, invocation);
    if (std::holds_alternative<std::nullopt_t>(opened))
        return usageError({u"no port: give --port DEVICE or --com N before the command "
                           "('veldctl ports' lists the serial ports, 'veldctl assign' "
                           "where COM1 to COM5 lead)"_s,
                           {}});
    if (const auto* cause = std::get_if<QString>(&opened))
        return fail(ExitStatus::PortUnavailable, *cause);
    const OpenedPort& port = std::get<OpenedPort>(opened);
    if (stream)
        return streamText(comm, invocation, port, quit);

    MessageReader reader(comm, quit);
    switch (plan.frames ? send(comm, plan.frames(), port, invocation.timeoutMs, quit)
                        : Sent::Whole) {
    case Sent::Whole:
        break;
    case Sent::Signalled:
        return exitCode(ExitStatus::Done);
    case Sent::Lost:
        return portLost(port);
    case Sent::Stalled:
        return fail(ExitStatus::PortUnavailable, notTakingData(port));
    }
    if (!plan.note.isEmpty())
        tellUser(u"veldctl: "_s + plan.note);
    switch (plan.await) {
    case Await::Nothing:
        return exitCode(ExitStatus::Done);
    case Await::TimeStamp:
    case Await::Temperature:
        return awaitAnswer(reader, plan, port, invocation.timeoutMs);
    case Await::Messages:
        return watch(reader, plan, port);
    }
    return exitCode(ExitStatus::Done);
}

} // namespace veld::cli
