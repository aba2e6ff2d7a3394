#include "cli/CommandPlan.h"

#include "protocol/CommandTable.h"
#include "protocol/CountdownInput.h"
#include "protocol/ModuleLineSpeed.h"
#include "protocol/StartupFunction.h"
#include "protocol/TextCommand.h"

#include <QTime>

namespace veld::cli {

using namespace Qt::StringLiterals;
using protocol::Bytes;
using protocol::Command;
using Result = std::variant<CommandPlan, UsageError>;

namespace {
Bytes frameOf(Command command, std::initializer_list<std::uint8_t> data = {}) {
    return protocol::buildFrame(protocol::kFrameHeader, protocol::codeOf(command), data);
}

CommandPlan sending(Bytes frame, Await await = Await::Nothing) {
    return {[frame] { return frame; }, await};
}

// "on" or "off" picks one of two commands.
Result onOff(const QString& name, const QString& word, Command on, Command off) {
    if (word == u"on"_s)
        return sending(frameOf(on));
    if (word == u"off"_s)
        return sending(frameOf(off));
    return UsageError{u"%1 takes on or off, not '%2'"_s.arg(name, word), name};
}

Result text(const QString& text) {
    const std::u16string chars = text.toStdU16String();
    if (chars.empty())
        return UsageError{u"the text is empty; to blank the display send a space: text ' '"_s,
                          u"text"_s};
    if (chars.size() > protocol::kDisplayDigits)
        return UsageError{u"'%1' has %2 characters; the display has %3"_s.arg(text)
                              .arg(chars.size())
                              .arg(protocol::kDisplayDigits),
                          u"text"_s};
    return sending(protocol::buildTextFrame(protocol::kFrameHeader, chars));
}

Result decimalPoint(const QString& word) {
    bool ok = false;
    const int n = word.toInt(&ok);
    if (!ok || n < 0 || n > static_cast<int>(protocol::kDisplayDigits))
        return UsageError{u"dp takes 0 (none) or a decimal point from 1 to 6, not '%1'"_s.arg(word),
                          u"dp"_s};
    return sending(frameOf(Command::DecimalPoint, {static_cast<std::uint8_t>(n)}));
}

Result output(const QString& which, const QString& word) {
    if (which == u"1"_s)
        return onOff(u"output"_s, word, Command::Output1On, Command::Output1Off);
    if (which == u"2"_s)
        return onOff(u"output"_s, word, Command::Output2On, Command::Output2Off);
    return UsageError{u"output takes 1 or 2, not '%1'"_s.arg(which), u"output"_s};
}

Result countdown(const QStringList& hms) {
    // Plain decimal numbers with '.' as the decimal separator, whatever the
    // locale, so that scripts behave the same everywhere.
    const auto result = protocol::convertInterval(hms[0].toStdU16String(), hms[1].toStdU16String(),
                                                  hms[2].toStdU16String(), u'.');
    if (!result.payload)
        return UsageError{result.error == protocol::IntervalError::NotNumeric
                              ? u"Please Key In Numeric Value"_s
                              : u"Please Key In Values From 0 To 255"_s,
                          u"countdown"_s};
    const protocol::TimePayload& p = *result.payload;
    return sending(frameOf(Command::CountdownInterval, {p.seconds, p.minutes, p.hours}));
}

Result startup(const QString& word) {
    bool ok = false;
    const int item = word.startsWith(u'F', Qt::CaseInsensitive) ? word.mid(1).toInt(&ok) : 0;
    const auto byte = ok ? protocol::startupFunctionByte(item) : std::nullopt;
    if (!byte)
        return UsageError{u"startup takes F1 to F6, not '%1'"_s.arg(word), u"startup"_s};
    return sending(frameOf(Command::StartupFunction, {*byte}));
}

Result moduleSpeed(const QString& word) {
    bool ok = false;
    const uint bps = word.toUInt(&ok);
    const auto byte = ok ? protocol::moduleLineSpeedByte(bps) : std::nullopt;
    if (!byte)
        return UsageError{
            u"module-speed takes 1200, 2400, 4800, 9600 or 19200, not '%1'"_s.arg(word),
            u"module-speed"_s};
    return sending(frameOf(Command::ModuleLineSpeed, {*byte}));
}

Result clock() {
    return CommandPlan{[] {
        const QTime now = QTime::currentTime();
        return frameOf(Command::SetClock, {static_cast<std::uint8_t>(now.second()),
                                           static_cast<std::uint8_t>(now.minute()),
                                           static_cast<std::uint8_t>(now.hour())});
    }};
}

// An optional flag such as --json, and nothing else.
std::optional<bool> flag(const QStringList& arguments, const QString& name) {
    if (arguments.isEmpty())
        return false;
    if (arguments.size() == 1 && arguments[0] == name)
        return true;
    return std::nullopt;
}

struct Arity {
    const char16_t* command;
    int count;
};
// Commands with a fixed number of arguments; time, temp and watch take a flag.
constexpr Arity kArity[] = {
    {u"text", 1},      {u"dp", 1},         {u"flash", 0},
    {u"buzzer", 1},    {u"output", 2},     {u"clock", 0},
    {u"countdown", 3}, {u"start-stop", 0}, {u"countdown-reset", 0},
    {u"counter", 1},   {u"startup", 1},    {u"module-speed", 1},
};
} // namespace

Result planCommand(const QString& command, const QStringList& args) {
    for (const Arity& a : kArity) {
        if (command != QStringView(a.command))
            continue;
        if (args.size() != a.count)
            return UsageError{
                a.count == 0 ? u"%1 takes no arguments"_s.arg(command)
                             : u"%1 takes %2 argument(s), not %3"_s.arg(command).arg(a.count).arg(
                                   args.size()),
                command};
        break;
    }
    if (command == u"text"_s)
        return text(args[0]);
    if (command == u"dp"_s)
        return decimalPoint(args[0]);
    if (command == u"flash"_s)
        return sending(frameOf(Command::ToggleFlashing));
    if (command == u"buzzer"_s)
        return onOff(command, args[0], Command::BuzzerOn, Command::BuzzerOff);
    if (command == u"output"_s)
        return output(args[0], args[1]);
    if (command == u"clock"_s)
        return clock();
    if (command == u"countdown"_s)
        return countdown(args);
    if (command == u"start-stop"_s)
        return sending(frameOf(Command::CountdownStartStop));
    if (command == u"countdown-reset"_s)
        return sending(frameOf(Command::CountdownReset));
    if (command == u"counter"_s)
        return onOff(command, args[0], Command::CounterEnable, Command::CounterDisable);
    if (command == u"startup"_s)
        return startup(args[0]);
    if (command == u"module-speed"_s)
        return moduleSpeed(args[0]);
    if (command == u"time"_s) {
        if (!args.isEmpty())
            return UsageError{u"time takes no arguments"_s, command};
        return sending(frameOf(Command::TimeStampRequest), Await::TimeStamp);
    }
    if (command == u"temp"_s) {
        const auto fahrenheit = flag(args, u"--fahrenheit"_s);
        if (!fahrenheit)
            return UsageError{u"temp takes only --fahrenheit"_s, command};
        CommandPlan plan = sending(frameOf(Command::TemperatureRequest), Await::Temperature);
        plan.fahrenheit = *fahrenheit;
        return plan;
    }
    if (command == u"watch"_s) {
        const auto json = flag(args, u"--json"_s);
        if (!json)
            return UsageError{u"watch takes only --json"_s, command};
        CommandPlan plan{{}, Await::Messages};
        plan.json = *json;
        return plan;
    }
    return UsageError{u"unknown command '%1'"_s.arg(command), {}};
}

} // namespace veld::cli
