#include "cli/Commands.h"

#include "protocol/CommandTable.h"
#include "protocol/CountdownInput.h"
#include "protocol/ModuleLineSpeed.h"
#include "protocol/StartupFunction.h"
#include "protocol/TextCommand.h"
#include "serial/PortMap.h"

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

CommandPlan planOf(std::function<std::vector<Bytes>()> frames, Await await = Await::Nothing) {
    CommandPlan plan;
    plan.frames = std::move(frames);
    plan.await = await;
    return plan;
}

CommandPlan sending(const Bytes& frame, Await await = Await::Nothing) {
    return planOf([frame] { return std::vector<Bytes>{frame}; }, await);
}

// A command as given: its name, its arguments and its options.
struct Call {
    const QString& name;
    const QStringList& args;
    const CommandOptions& options;
};

// "on" or "off", in any case, picks one of two commands.
Result onOff(const QString& name, const QString& word, Command on, Command off) {
    if (word.compare(u"on"_s, Qt::CaseInsensitive) == 0)
        return sending(frameOf(on));
    if (word.compare(u"off"_s, Qt::CaseInsensitive) == 0)
        return sending(frameOf(off));
    return UsageError{u"%1 takes on or off, not '%2'"_s.arg(name, word), name};
}

template <Command on, Command off> Result switched(const Call& call) {
    return onOff(call.name, call.args[0], on, off);
}

// A command whose frame has no data.
template <Command command, Await await = Await::Nothing> Result fixed(const Call&) {
    return sending(frameOf(command), await);
}

// The text with its period on the point of the digit before it, and every
// point off without one; with --raw the text frame alone, periods as
// characters.
Result text(const Call& call) {
    const QString& given = call.args[0];
    const auto error = [](const QString& message) { return UsageError{message, u"text"_s}; };
    if (given.isEmpty())
        return error(u"the text is empty; to blank the display send a space: text ' '"_s);
    const qsizetype period = call.options.raw ? -1 : given.indexOf(u'.');
    if (period >= 0 && given.indexOf(u'.', period + 1) >= 0)
        return error(u"'%1' has more than one period; the display lights one decimal point "
                     u"(--raw sends periods as characters)"_s.arg(given));
    if (period == 0)
        return error(u"'%1' has a period with no character before it"_s.arg(given));
    const std::u16string chars = QString(given).remove(period, period < 0 ? 0 : 1).toStdU16String();
    if (chars.size() > protocol::kDisplayDigits)
        return error(u"'%1' has %2 characters; the display has %3"_s.arg(given)
                         .arg(chars.size())
                         .arg(protocol::kDisplayDigits));
    std::vector<Bytes> frames{protocol::buildTextFrame(protocol::kFrameHeader, chars)};
    if (!call.options.raw) {
        // Right-aligned: the character before the period is on digit
        // 6 - length + its place, counted from 0.
        const auto digit = protocol::kDisplayDigits - chars.size() + std::size_t(period) - 1;
        frames.push_back(frameOf(Command::DecimalPoint,
                                 {period < 0 ? std::uint8_t{0} : protocol::pointOfDigit(digit)}));
    }
    return planOf([frames] { return frames; });
}

Result decimalPoint(const Call& call) {
    const QStringList& args = call.args;
    bool ok = false;
    const int n = args[0].toInt(&ok);
    if (!ok || n < 0 || n > static_cast<int>(protocol::kDisplayDigits))
        return UsageError{
            u"dp takes 0 (none) or a decimal point from 1 to 6, not '%1'"_s.arg(args[0]), u"dp"_s};
    return sending(frameOf(Command::DecimalPoint, {static_cast<std::uint8_t>(n)}));
}

Result output(const Call& call) {
    const QStringList& args = call.args;
    if (args[0] == u"1"_s)
        return onOff(u"output"_s, args[1], Command::Output1On, Command::Output1Off);
    if (args[0] == u"2"_s)
        return onOff(u"output"_s, args[1], Command::Output2On, Command::Output2Off);
    return UsageError{u"output takes 1 or 2, not '%1'"_s.arg(args[0]), u"output"_s};
}

Result countdown(const Call& call) {
    // Plain decimal numbers with '.' as the decimal separator, whatever the
    // locale, so that scripts behave the same everywhere.
    std::array<std::uint8_t, 3> given{}; // hours, minutes, seconds
    for (qsizetype k = 0; k < 3; ++k) {
        const auto value = protocol::intervalValue(call.args[k].toStdU16String(), u'.');
        const QString name = QStringList{u"hours"_s, u"minutes"_s, u"seconds"_s}[k];
        if (const auto* error = std::get_if<protocol::IntervalError>(&value))
            return UsageError{*error == protocol::IntervalError::NotNumeric
                                  ? u"%1 '%2' is not a number"_s.arg(name, call.args[k])
                                  : u"%1 %2: 0 to 255"_s.arg(name, call.args[k]),
                              u"countdown"_s};
        given[static_cast<std::size_t>(k)] = std::get<std::uint8_t>(value);
    }
    const auto data = protocol::TimePayload{given[2], given[1], given[0]}.data();
    return sending(frameOf(Command::CountdownInterval, {data[0], data[1], data[2]}));
}

Result startup(const Call& call) {
    const QStringList& args = call.args;
    bool ok = false;
    const int item = args[0].startsWith(u'F', Qt::CaseInsensitive) ? args[0].mid(1).toInt(&ok) : 0;
    const auto byte = ok ? protocol::startupFunctionByte(item) : std::nullopt;
    if (!byte)
        return UsageError{u"startup takes F1 to F6, not '%1'"_s.arg(args[0]), u"startup"_s};
    return sending(frameOf(Command::StartupFunction, {*byte}));
}

// The module's line speeds: "1200, 2400, 4800, 9600 or 19200".
QString moduleSpeedsText() {
    QStringList speeds;
    for (const std::uint32_t bps : protocol::moduleLineSpeeds())
        speeds << QString::number(bps);
    return speeds.mid(0, speeds.size() - 1).join(u", "_s) + u" or "_s + speeds.last();
}

Result moduleSpeed(const Call& call) {
    const QStringList& args = call.args;
    bool ok = false;
    const uint bps = args[0].toUInt(&ok);
    const auto byte = ok ? protocol::moduleLineSpeedByte(bps) : std::nullopt;
    if (!byte)
        return UsageError{u"module-speed takes %1, not '%2'"_s.arg(moduleSpeedsText(), args[0]),
                          u"module-speed"_s};
    CommandPlan plan = sending(frameOf(Command::ModuleLineSpeed, {*byte}));
    plan.note = u"the module now listens at %1 bit/s: give the next commands --speed %1 (or "
                u"pick %2bps in the panel's Baud Rate)"_s.arg(bps)
                    .arg(bps);
    return plan;
}

Result clock(const Call&) {
    return planOf([] {
        const QTime now = QTime::currentTime();
        const auto data = protocol::TimePayload{static_cast<std::uint8_t>(now.second()),
                                                static_cast<std::uint8_t>(now.minute()),
                                                static_cast<std::uint8_t>(now.hour())}
                              .data();
        return std::vector<Bytes>{frameOf(Command::SetClock, {data[0], data[1], data[2]})};
    });
}

Result temp(const Call& call) {
    CommandPlan plan = sending(frameOf(Command::TemperatureRequest), Await::Temperature);
    plan.fahrenheit = call.options.fahrenheit;
    return plan;
}

Result ports(const Call& call) {
    CommandPlan plan;
    plan.listPorts = true;
    plan.json = call.options.json;
    return plan;
}

// assign: none lists, COMn DEVICE stores, COMn --clear removes.
Result assign(const Call& call) {
    const QStringList& args = call.args;
    const auto error = [](const QString& message) { return UsageError{message, u"assign"_s}; };
    if (args.isEmpty() && !call.options.clear) {
        CommandPlan plan;
        plan.assignment = PortAssignment{};
        return plan;
    }
    if (args.size() != (call.options.clear ? 1 : 2))
        return error(call.options.clear ? u"assign --clear takes COMn alone"_s
                                        : u"assign takes COMn and a device, or COMn --clear"_s);
    const auto port = args[0].startsWith(u"COM"_s, Qt::CaseInsensitive)
                          ? serial::comNumber(args[0].mid(3))
                          : std::nullopt;
    if (!port)
        return error(u"assign takes COM%1 to COM%2, not '%3'"_s.arg(serial::kFirstPort)
                         .arg(serial::kLastPort)
                         .arg(args[0]));
    if (!call.options.clear && args[1].trimmed().isEmpty())
        return error(u"the device is empty; to bring the default back give --clear"_s);
    CommandPlan plan;
    plan.assignment = PortAssignment{*port, call.options.clear ? QString() : args[1].trimmed()};
    return plan;
}

Result watch(const Call& call) {
    CommandPlan plan = planOf({}, Await::Messages);
    plan.json = call.options.json;
    return plan;
}

struct Entry {
    const char16_t* name = nullptr;
    const char16_t* arguments = nullptr; // as its usage line shows them
    int count = 0;                       // how many it takes; -1: its plan checks them
    const char16_t* option = nullptr;    // the option of its own, or none
    const char16_t* summary = nullptr;
    const char16_t* details = nullptr;
    Result (*plan)(const Call&) = nullptr; // none: veldctl's own (help)
    // Argument lines, '|' between them, whose frames help shows; none: it
    // sends nothing, or the protocol's own table gives them.
    const char16_t* examples = nullptr;
};

constexpr Entry kCommands[] = {
    {u"text", u"[--raw] TEXT|-", 1, u"raw", u"show up to six characters and a point",
     u"Shows TEXT on the six digits as \"Send ASCII\" does: right-aligned, with spaces in\n"
     u"front, so that its last character lands on the sixth digit. A period right\n"
     u"after a character lights that digit's decimal point, as \"Set Decimal Point\"\n"
     u"does, and a text without one turns the point off: '12.34' shows 12.34. The\n"
     u"module shows 0-9 A b C c d E F H h I J L n o P r S U u y - and space. More than\n"
     u"six characters, more than one period, a period first, or an empty TEXT is a\n"
     u"usage error; 'text \" \"' blanks the display. With --raw the text goes as it\n"
     u"is, periods as characters, and the point is left alone. With TEXT '-' each\n"
     u"line of standard input (ended by LF or CR LF) is shown as it comes, the port\n"
     u"held open until the input ends; a line that cannot be shown is said on\n"
     u"standard error, the rest go on, and the exit status is 1. A lost or stalled\n"
     u"port ends it with the line number and the lines not shown (exit status 2).\n"
     u"Sends the text frame, then the point's frame:",
     text, u"12.34|--raw 1.2"},
    {u"dp", u"N", 1, nullptr, u"light decimal point N (1 to 6), or none (0)",
     u"Lights the decimal point of digit N, 1 (leftmost) to 6, or none with 0, as\n"
     u"\"Set Decimal Point\" does.",
     decimalPoint, u"3|0"},
    {u"flash", u"", 0, nullptr, u"toggle flashing of the display",
     u"Switches the display's flashing on when it is off and off when it is on.",
     fixed<Command::ToggleFlashing>, u""},
    {u"buzzer", u"on|off", 1, nullptr, u"switch the buzzer", u"Switches the buzzer on or off.",
     switched<Command::BuzzerOn, Command::BuzzerOff>, u"on|off"},
    {u"output", u"1|2 on|off", 2, nullptr, u"switch output 1 or 2",
     u"Switches output 1 or 2 on or off.", output, u"1 on|1 off|2 on|2 off"},
    {u"clock", u"", 0, nullptr, u"set the module's clock to this computer's time",
     u"Sets the module's real-time clock to the local time of day, as \"Set Current\n"
     u"Time\" does: seconds, minutes, hours (0 to 23), one byte each. Now it sends:",
     clock, u""},
    {u"countdown", u"H M S", 3, nullptr, u"set the countdown interval",
     u"Sets the countdown interval to H hours, M minutes and S seconds, as \"Set\n"
     u"Interval\" does. Each is a plain decimal number ('.' before a fraction),\n"
     u"rounded to a whole number, an exact half to the even neighbour; minutes and\n"
     u"seconds are not checked against 59. A value that is not a number, or below 0\n"
     u"or above 255, is a usage error that names it. 'start-stop' then starts it.\n"
     u"Sends seconds, minutes, hours, one byte each:",
     countdown, u"1 30 0"},
    {u"start-stop", u"", 0, nullptr, u"start or stop the countdown",
     u"Starts the countdown when it is stopped and stops it when it runs.",
     fixed<Command::CountdownStartStop>, u""},
    {u"countdown-reset", u"", 0, nullptr, u"reset the countdown to its interval",
     u"Sets the countdown back to its interval.", fixed<Command::CountdownReset>, u""},
    {u"counter", u"on|off", 1, nullptr, u"enable or disable the event counter",
     u"While enabled the module counts events on its counter input and reports each\n"
     u"one ('watch' prints them).",
     switched<Command::CounterEnable, Command::CounterDisable>, u"on|off"},
    {u"startup", u"F1..F6", 1, nullptr, u"choose the function the module starts in",
     u"The items of the panel's \"Startup Function\" menu:\n%1", startup},
    {u"module-speed", u"BPS", 1, nullptr, u"tell the module its line speed",
     u"Tells the module to talk at BPS bit/s from now on: %1.\n"
     u"Later commands need --speed BPS (or the panel's speed set to match), which\n"
     u"veldctl says on standard error.",
     moduleSpeed},
    {u"time", u"", 0, nullptr, u"print the module's time",
     u"Asks the module for its time and prints it: hours, minutes, seconds (9:07:05).\n"
     u"Exit status 3 when no answer comes within --timeout.",
     fixed<Command::TimeStampRequest, Await::TimeStamp>, u""},
    {u"temp", u"[--fahrenheit]", 0, u"fahrenheit", u"print the module's temperature",
     u"Asks the module for its temperature and prints it as a whole number in\n"
     u"degrees Celsius (25, -10), or Fahrenheit with --fahrenheit (77, 14), as the\n"
     u"panel shows it. A below-zero answer of magnitude 0 prints 0 (the panel shows\n"
     u"-0). Exit status 3 when no answer comes within --timeout.",
     temp, u""},
    {u"watch", u"[--json]", 0, u"json", u"print each message from the module until interrupted",
     u"Prints one line per message from the module, each at once, until Ctrl+C or\n"
     u"SIGTERM (the port is closed, then veldctl ends by that signal) or until the\n"
     u"reader of its output goes away (exit status 0):\n"
     u"  button N       a button was pressed, N = 1, 2 or 3 (0: no single button)\n"
     u"  temp T         a temperature, degrees Celsius\n"
     u"  count          one counter event\n"
     u"  count-reset    the counter was reset\n"
     u"  time H:MM:SS   a time stamp\n"
     u"With --json one object per line instead, keys in alphabetical order:\n"
     u"  {\"button\":1,\"event\":\"button\"}\n"
     u"  {\"celsius\":-10,\"event\":\"temp\",\"fahrenheit\":14}\n"
     u"  {\"event\":\"count\"}  {\"event\":\"count-reset\"}\n"
     u"  {\"event\":\"time\",\"hours\":9,\"minutes\":7,\"seconds\":5,\"text\":\"9:07:05\"}\n"
     u"Bytes that form no message are skipped. Sends nothing.",
     watch},
    {u"ports", u"[--json]", 0, u"json", u"list the serial ports found now",
     u"Lists the serial ports on this computer now, one per line: the stable name\n"
     u"(its /dev/serial/by-id link when it has one), the device, what is known of it,\n"
     u"and the COM items of the panel that lead to it. With --json one object per\n"
     u"line. A pseudo-terminal, such as veld-module's, is not a found port. Opens none.",
     ports},
    {u"assign", u"[COMn [DEVICE|--clear]]", -1, u"clear",
     u"lead a COM item of the panel to a device",
     u"Stores DEVICE for COMn (COM1 to COM5) in the panel's settings, as its \"Assign\n"
     u"Ports\" dialog does: the panel, and veldctl --com n, then open DEVICE. With\n"
     u"--clear the stored device is removed and the default (/dev/ttyS(n-1)) is\n"
     u"back. Alone, lists each COM item, tab between the fields: its name, its\n"
     u"device and where that comes from (environment, settings or default).\n"
     u"$VELD_COMn, when set, still overrides what is stored. Opens no port.",
     assign},
    {u"help", u"[COMMAND]", -1, nullptr, u"explain veldctl, or one command",
     u"Prints what veldctl --help prints, or what one command does and sends.", nullptr},
};

const Entry* find(const QString& name) {
    for (const Entry& c : kCommands)
        if (name == QStringView(c.name))
            return &c;
    return nullptr;
}

QString synopsis(const Entry& c) {
    const QString arguments = QString::fromUtf16(c.arguments);
    return QString::fromUtf16(c.name) + (arguments.isEmpty() ? QString() : u' ' + arguments);
}

// The argument lines whose frames help shows.
QStringList examplesOf(const Entry& c) {
    QStringList lines;
    if (c.plan == startup)
        for (int n = protocol::kFirstStartupFunction; n <= protocol::kLastStartupFunction; ++n)
            lines << u"F%1"_s.arg(n);
    else if (c.plan == moduleSpeed)
        for (const std::uint32_t bps : protocol::moduleLineSpeeds())
            lines << QString::number(bps);
    else if (c.examples)
        lines = QString::fromUtf16(c.examples).split(u'|');
    return lines;
}

// The command's text, then each example with the frames the table builds for it.
QString details(const Entry& c) {
    QString text = QString::fromUtf16(c.details);
    if (c.plan == startup) {
        QStringList names;
        for (int n = protocol::kFirstStartupFunction; n <= protocol::kLastStartupFunction; ++n)
            names << u"  "_s + QString::fromStdString(protocol::functionName(
                                   static_cast<protocol::ModuleFunction>(n)));
        text = text.arg(names.join(u'\n'));
    } else if (c.plan == moduleSpeed) {
        text = text.arg(moduleSpeedsText());
    }
    const QString name = QString::fromUtf16(c.name);
    const QStringList examples = examplesOf(c);
    if (!examples.isEmpty() && !text.endsWith(u':'))
        text += u"\nSends:"_s;
    for (const QString& example : examples) {
        QStringList args = example.split(u' ', Qt::SkipEmptyParts);
        const CommandOptions options{.raw = args.removeAll(u"--raw"_s) > 0};
        const auto planned = c.plan({name, args, options});
        QStringList frames;
        if (const auto* plan = std::get_if<CommandPlan>(&planned))
            for (const Bytes& frame : plan->frames())
                frames << QString::fromStdString(protocol::hexText(frame));
        text += u"\n  %1 %2"_s.arg(QString(name + u' ' + example).trimmed(), -22)
                    .arg(frames.join(u", "_s));
    }
    return text;
}
} // namespace

Result planCommand(const QString& command, const QStringList& args, const CommandOptions& options) {
    const Entry* c = find(command);
    if (!c || !c->plan)
        return UsageError{u"unknown command '%1'"_s.arg(command), {}};
    for (const auto& [set, name] :
         {std::pair{options.fahrenheit, u"fahrenheit"}, std::pair{options.json, u"json"},
          std::pair{options.raw, u"raw"}, std::pair{options.clear, u"clear"}})
        if (set && (!c->option || QStringView(c->option) != QStringView(name)))
            return UsageError{u"%1 does not take --%2"_s.arg(command, name), command};
    if (c->count >= 0 && args.size() != c->count)
        return UsageError{
            c->count == 0
                ? u"%1 takes no arguments"_s.arg(command)
                : u"%1 takes %2 argument(s), not %3"_s.arg(command).arg(c->count).arg(args.size()),
            command};
    return c->plan({command, args, options});
}

QString usageOf(const QString& command) {
    if (const Entry* c = find(command))
        return u"Usage: veldctl [OPTIONS] "_s + synopsis(*c);
    return u"Usage: veldctl [--port DEVICE | --com N] [--speed BPS] [--timeout MS] COMMAND "
           u"[ARGS]"_s;
}

QString generalHelp() {
    QStringList lines{
        usageOf({}),
        {},
        u"Drives a VELD six-digit serial display module from the shell. Each command"_s,
        u"sends the frame that the VELD Panel sends for the same action."_s,
        {},
        u"Commands:"_s,
    };
    // The summaries in a column; a longer synopsis has its own line.
    constexpr int kColumn = 22;
    for (const Entry& c : kCommands) {
        const QString shown = synopsis(c);
        lines << u"  %1 %2"_s
                     .arg(shown.size() > kColumn ? shown + u'\n' + QString(kColumn + 2, u' ')
                                                 : shown,
                          -kColumn)
                     .arg(QString::fromUtf16(c.summary));
    }
    lines << QString() << u"Options (before or after the command; after -- only arguments):"_s
          << u"  --port DEVICE   the serial device, a path such as /dev/ttyUSB0"_s
          << u"  --com N         COMn (1 to 5) as the panel maps it: $VELD_COMn, else key COMn"_s
          << u"                  of group Ports in the settings, else /dev/ttyS(n-1)"_s
          << u"  --speed BPS     line speed in bit/s (8 data bits, no parity, 1 stop bit)"_s
          << u"  --timeout MS    how long time and temp wait for the answer (default 1000)"_s
          << u"  --verbose       also what the serial control notes (a stale lock removed)"_s
          << u"  --direct        open the port itself, not through a panel that holds it"_s
          << u"  -h, --help      this text; 'veldctl help COMMAND' explains one command"_s
          << u"  --version       the version"_s << QString()
          << u"Without --port or --com the panel's stored port (CommPort) is used; without"_s
          << u"--speed its stored line settings, else 9600 bit/s. The panel's settings"_s
          << u"($XDG_CONFIG_HOME/VELD/VELD.conf) are only read, but by assign. While a"_s
          << u"panel holds the port, the command goes through the panel (see veld(1));"_s
          << u"alone on the machine, a panel serving is used without --port or --com."_s
          << QString()
          << u"Exit status: 0 done; 1 usage error (or the settings cannot be written);"_s
          << u"2 the port cannot be opened (or is lost, or takes no data);"_s
          << u"3 no answer within --timeout (time, temp)."_s;
    return lines.join(u'\n') + u'\n';
}

QString commandHelp(const QString& command) {
    const Entry* c = find(command);
    if (!c)
        return {};
    return usageOf(command) + u"\n\n"_s + details(*c) + u'\n';
}

} // namespace veld::cli
