// veldctl's command lines: the frames each sends, options anywhere, what a
// wrong line is told; the man page and completion naming the same commands.
#include "cli/Invocation.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace veld::cli;

namespace {

// The port, speed and wait when given, then the frames in hex; or the usage
// error's message.
std::string outcome(const QString& line) {
    const auto parsed = parseInvocation(line.split(u' ', Qt::SkipEmptyParts));
    if (const auto* error = std::get_if<UsageError>(&parsed))
        return error->message.toStdString();
    const Invocation& inv = std::get<Invocation>(parsed);
    const auto planned = planCommand(inv.command, inv.arguments, inv.options);
    if (const auto* error = std::get_if<UsageError>(&planned))
        return error->message.toStdString();
    const CommandPlan& plan = std::get<CommandPlan>(planned);
    QStringList said{inv.port.path, inv.port.comNumber ? u"COM%1"_s.arg(inv.port.comNumber) : u""_s,
                     inv.lineSettings,
                     inv.timeoutMs != 1000 ? QString::number(inv.timeoutMs) : u""_s};
    for (const auto& frame : plan.frames ? plan.frames() : std::vector<veld::protocol::Bytes>{})
        said << QString::fromLatin1(QByteArray::fromStdString(frame).toHex(' ').toUpper());
    said.removeAll(QString());
    return said.join(u' ').toStdString();
}

TEST(cli_CommandLine, EachLineGivesItsFramesOrSaysWhatIsWrong) {
    // clang-format off
    const std::pair<const char*, const char*> rows[] = {
        {"text 12.34", "FE 03 20 20 31 32 33 34 FF FE 13 04 FF"}, {"text AbCdEF", "FE 03 41 62 43 64 45 46 FF FE 13 00 FF"},
        {"text -- -5.", "FE 03 20 20 20 20 2D 35 FF FE 13 06 FF"}, {"text --raw 1.2.", "FE 03 20 20 31 2E 32 2E FF"},
        {"text 123456.", "FE 03 31 32 33 34 35 36 FF FE 13 06 FF"}, {"assign com1 /dev/x", ""}, {"assign COM5 --clear", ""},
        {"assign COM0 /dev/x", "assign takes COM1 to COM5, not 'COM0'"}, {"assign COM3", "assign takes COMn and a device, or COMn --clear"},
        {"text 1.2.3", "'1.2.3' has more than one period; the display lights one decimal point (--raw sends periods as characters)"},
        {"text .5", "'.5' has a period with no character before it"}, {"text 1234567.", "'1234567.' has 7 characters; the display has 6"},
        {"flash --raw", "flash does not take --raw"}, {"ports", ""}, {"dp 6", "FE 13 06 FF"}, {"flash --port /dev/x", "/dev/x FE FC FF"},
        {"buzzer ON", "FE FA FF"}, {"output 2 off", "FE F5 FF"}, {"countdown 0 2.5 .5", "FE 01 00 02 00 FF"}, {"counter Off", "FE 15 FF"},
        {"startup f6", "FE 90 03 FF"}, {"--com 5 time", "COM5 FE F7 FF"}, {"--port /dev/a temp --fahrenheit --com 1", "COM1 FE 04 FF"},
        {"--com=2 --port=/dev/b --speed 19200 watch --json --timeout 300", "/dev/b 19200,n,8,1 300"}, {"", "no command given"},
        {"blink", "unknown command 'blink'"}, {"flash now", "flash takes no arguments"}, {"dp 7", "dp takes 0 (none) or a decimal point from 1 to 6, not '7'"},
        {"output 3 on", "output takes 1 or 2, not '3'"}, {"buzzer loud", "buzzer takes on or off, not 'loud'"},
        {"countdown 1 x 0", "minutes 'x' is not a number"}, {"countdown -- 0 -1 0", "minutes -1: 0 to 255"},
        {"countdown 0 -1 0", "unknown option '-1' (after -- an argument may start with '-')"}, {"startup F7", "startup takes F1 to F6, not 'F7'"},
        {"module-speed 300", "module-speed takes 1200, 2400, 4800, 9600 or 19200, not '300'"},
        {"--speed 123 time", "--speed takes a line speed in bit/s such as 9600, not '123'"},
        {"time --timeout -5", "--timeout takes a number of milliseconds, 0 or more, not '-5'"},
        {"--com 6 flash", "--com takes a port number from 1 to 5, not '6'"}};

    // clang-format on
    for (const auto& [line, expected] : rows)
        EXPECT_EQ(outcome(QString::fromUtf8(line)), expected) << line;
}

// The first word of each line under "Commands:" in the general help.
QStringList commandNames() {
    QStringList names;
    static const QRegularExpression line(uR"(^  (\S+))"_s, QRegularExpression::MultilineOption);
    for (const auto& match :
         line.globalMatch(generalHelp().section(u"Commands:\n"_s, 1).section(u"\n\n"_s, 0, 0)))
        names << match.captured(1);
    return names;
}

// Each command's help: every example it gives with frames ("  dp 3   FE 13 03 FF")
// sends those frames when run, and no placeholder is left in its text.
TEST(cli_CommandLine, EachHelpExampleSendsTheFramesItNames) {
    static const QRegularExpression example(uR"(^  (\S.*?)  +((?:[0-9A-F]{2}(?:, | |$))+))"_s,
                                            QRegularExpression::MultilineOption);
    for (const QString& name : commandNames()) {
        const QString help = commandHelp(name);
        EXPECT_FALSE(help.contains(u'%')) << help.toStdString();
        for (const auto& match : example.globalMatch(help))
            EXPECT_EQ(outcome(match.captured(1)), match.captured(2).remove(u',').toStdString());
    }
}

TEST(cli_CommandLine, ManPageCompletionAndHelpNameEveryCommand) {
    const auto read = [](const char* path) {
        QFile file(QString::fromUtf8(path));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
        return QString::fromUtf8(file.readAll());
    };
    const QStringList names = commandNames();
    // The man page: the first word of each entry under COMMANDS.
    const QString page = read(VELDCTL_MAN_PAGE);
    const QString commands = page.section(u".SH COMMANDS\n"_s, 1).section(u"\n.SH "_s, 0, 0);
    QStringList documented;
    static const QRegularExpression entry(uR"(\.TP\n\.B[IR]? (\S+))"_s);
    for (const auto& match : entry.globalMatch(commands))
        documented << match.captured(1).remove(u'\\');
    EXPECT_EQ(documented.join(u' ').toStdString(), names.join(u' ').toStdString());
    // The completion: its list of commands.
    static const QRegularExpression list(uR"re(local commands="([^"]*)")re"_s);
    const QString completion = list.match(read(VELDCTL_COMPLETION)).captured(1).simplified();
    EXPECT_EQ(completion.toStdString(), names.join(u' ').toStdString());
}

} // namespace
