#include "cli/Veldctl.h"

#include "cli/CommandPlan.h"
#include "cli/ExitStatus.h"
#include "cli/HelpText.h"
#include "cli/Invocation.h"
#include "cli/LineOutput.h"
#include "cli/MessageReader.h"
#include "cli/MessageText.h"
#include "cli/PortOpener.h"
#include "serial/MSComm.h"

#include <QCoreApplication>

namespace veld::cli {

using namespace Qt::StringLiterals;
using protocol::MessageKind;
using Status = MessageReader::Status;

namespace {
// After the last frame the port stays open while the frame goes out on the
// line at its speed (10 bits a byte), and a little longer: closing restores
// the line settings the device had before, which must not change the speed
// under bytes that are still on their way.
constexpr int kAfterFrameMs = 50;

// Standard error that cannot be written leaves nowhere to say so; the exit
// status still tells.
void tellUser(const QString& lines) {
    static_cast<void>(writeLine(stderr, lines));
}

int fail(ExitStatus status, const QString& message) {
    tellUser(u"veldctl: "_s + message);
    return exitCode(status);
}

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
                             ? timeText(message.hours, message.minutes, message.seconds)
                             : temperatureText(message, plan.fahrenheit));
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
    for (;;) {
        switch (reader.next(QDeadlineTimer(QDeadlineTimer::Forever), message)) {
        case Status::Message:
            switch (writeLine(stdout, plan.json ? eventJson(message) : eventLine(message))) {
            case WriteResult::Written:
                continue;
            case WriteResult::PipeClosed:
                return exitCode(ExitStatus::Done);
            case WriteResult::Failed:
                return fail(ExitStatus::Usage, u"cannot write to standard output"_s);
            }
            break;
        case Status::TimedOut:
        case Status::Signalled:
            return exitCode(ExitStatus::Done);
        case Status::PortLost:
            return portLost(port);
        }
    }
}

int letFrameGoOut(MessageReader& reader, const OpenedPort& port, std::size_t frameBytes) {
    const qint64 lineMs = static_cast<qint64>(frameBytes) * 10 * 1000 / port.bitsPerSecond + 1;
    const QDeadlineTimer deadline(lineMs + kAfterFrameMs);
    protocol::ModuleMessage ignored;
    while (reader.next(deadline, ignored) == Status::Message) {
    }
    return exitCode(ExitStatus::Done);
}
} // namespace

int runVeldctl(const QStringList& arguments, const serial::QuitOnSignal& quit) {
    const auto parsed = parseInvocation(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed))
        return usageError(*error);
    const Invocation& invocation = std::get<Invocation>(parsed);
    if (invocation.help)
        return print(generalHelp().chopped(1));
    if (invocation.version)
        return print(u"veldctl "_s + QCoreApplication::applicationVersion());
    if (invocation.command == u"help"_s)
        return help(invocation.arguments);

    const auto planned = planCommand(invocation.command, invocation.arguments);
    if (const auto* error = std::get_if<UsageError>(&planned))
        return usageError(*error);
    const CommandPlan& plan = std::get<CommandPlan>(planned);

    serial::MSComm comm;
    const auto opened = openPort(comm, invocation);
    if (const auto* cause = std::get_if<QString>(&opened))
        return fail(ExitStatus::PortUnavailable, *cause);
    const OpenedPort& port = std::get<OpenedPort>(opened);

    MessageReader reader(comm, quit);
    reader.discardWaiting();
    protocol::Bytes frame;
    if (plan.frame) {
        frame = plan.frame();
        comm.setOutput(frame);
    }
    switch (plan.await) {
    case Await::Nothing:
        return letFrameGoOut(reader, port, frame.size());
    case Await::TimeStamp:
    case Await::Temperature:
        return awaitAnswer(reader, plan, port, invocation.timeoutMs);
    case Await::Messages:
        return watch(reader, plan, port);
    }
    return exitCode(ExitStatus::Done);
}

} // namespace veld::cli
