#include "cli/Invocation.h"

#include "serial/LineSettings.h"
#include "serial/PortMap.h"

#include <QCommandLineParser>

namespace veld::cli {

using namespace Qt::StringLiterals;

namespace {
// The last of --port and --com given on the command line.
std::optional<UsageError> choosePort(Invocation& inv, const QCommandLineParser& parser,
                                     const QStringList& arguments) {
    const QStringList paths = parser.values(u"port"_s);
    const QStringList numbers = parser.values(u"com"_s);
    if (paths.isEmpty() && numbers.isEmpty())
        return std::nullopt;
    const auto lastAt = [&arguments](const QString& option) {
        qsizetype at = -1;
        for (qsizetype i = 0; i < arguments.size() && arguments[i] != u"--"_s; ++i)
            if (arguments[i] == option || arguments[i].startsWith(option + u'='))
                at = i;
        return at;
    };
    if (numbers.isEmpty() || (!paths.isEmpty() && lastAt(u"--port"_s) > lastAt(u"--com"_s))) {
        if (paths.last().isEmpty())
            return UsageError{u"--port needs a device path"_s, {}};
        inv.port = {PortChoice::Kind::Path, 0, paths.last()};
        return std::nullopt;
    }
    const auto n = serial::comNumber(numbers.last());
    if (!n)
        return UsageError{
            u"--com takes a port number from %1 to %2, not '%3'"_s.arg(serial::kFirstPort)
                .arg(serial::kLastPort)
                .arg(numbers.last()),
            {}};
    inv.port = {PortChoice::Kind::ComNumber, *n, {}};
    return std::nullopt;
}
} // namespace

std::variant<Invocation, UsageError> parseInvocation(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.addOptions({
        {u"port"_s, {}, u"device"_s},
        {u"com"_s, {}, u"n"_s},
        {u"speed"_s, {}, u"bps"_s},
        {u"timeout"_s, {}, u"ms"_s},
        {{u"h"_s, u"help"_s}, {}},
        {u"version"_s, {}},
        {u"verbose"_s, {}},
        {u"direct"_s, {}},
        {u"fahrenheit"_s, {}},
        {u"json"_s, {}},
        {u"raw"_s, {}},
        {u"clear"_s, {}},
    });
    if (!parser.parse(QStringList{u"veldctl"_s} + arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            return UsageError{parser.errorText(), {}};
        const QString name = (unknown.first().size() == 1 ? u"-"_s : u"--"_s) + unknown.first();
        return UsageError{
            u"unknown option '%1' (after -- an argument may start with '-')"_s.arg(name), {}};
    }
    Invocation inv;
    if (auto error = choosePort(inv, parser, arguments))
        return *error;
    if (parser.isSet(u"speed"_s)) {
        const QString value = parser.value(u"speed"_s);
        // Only the speeds of the line settings' list pass.
        inv.lineSettings = serial::lineSettingsText(value.toInt());
        if (!serial::parseLineSettings(inv.lineSettings))
            return UsageError{
                u"--speed takes a line speed in bit/s such as 9600, not '%1'"_s.arg(value), {}};
    }
    if (parser.isSet(u"timeout"_s)) {
        bool ok = false;
        inv.timeoutMs = parser.value(u"timeout"_s).toInt(&ok);
        if (!ok || inv.timeoutMs < 0)
            return UsageError{
                u"--timeout takes a number of milliseconds, 0 or more, not '%1'"_s.arg(
                    parser.value(u"timeout"_s)),
                {}};
    }
    inv.help = parser.isSet(u"help"_s);
    inv.version = parser.isSet(u"version"_s);
    inv.verbose = parser.isSet(u"verbose"_s);
    inv.direct = parser.isSet(u"direct"_s);
    inv.options = {parser.isSet(u"fahrenheit"_s), parser.isSet(u"json"_s), parser.isSet(u"raw"_s),
                   parser.isSet(u"clear"_s)};
    const QStringList positional = parser.positionalArguments();
    if (!positional.isEmpty()) {
        inv.command = positional.first();
        inv.arguments = positional.mid(1);
    } else if (!inv.help && !inv.version) {
        return UsageError{u"no command given"_s, {}};
    }
    return inv;
}

} // namespace veld::cli
