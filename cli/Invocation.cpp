#include "cli/Invocation.h"

#include "serial/LineSettings.h"
#include "serial/PortMap.h"

namespace veld::cli {

using namespace Qt::StringLiterals;

namespace {
bool takesValue(const QString& option) {
    return option == u"--port"_s || option == u"--com"_s || option == u"--speed"_s ||
           option == u"--timeout"_s;
}

std::optional<UsageError> applyOption(Invocation& inv, const QString& option,
                                      const QString& value) {
    bool ok = false;
    if (option == u"--port"_s) {
        if (value.isEmpty())
            return UsageError{u"--port needs a device path"_s, {}};
        inv.port = {PortChoice::Kind::Path, 0, value};
    } else if (option == u"--com"_s) {
        const int n = value.toInt(&ok);
        if (!ok || n < serial::kFirstPort || n > serial::kLastPort)
            return UsageError{
                u"--com takes a port number from %1 to %2, not '%3'"_s.arg(serial::kFirstPort)
                    .arg(serial::kLastPort)
                    .arg(value),
                {}};
        inv.port = {PortChoice::Kind::ComNumber, n, {}};
    } else if (option == u"--speed"_s) {
        const int bps = value.toInt(&ok);
        const QString settings = value + u",n,8,1"_s;
        if (!ok || bps <= 0 || !serial::parseLineSettings(settings))
            return UsageError{
                u"--speed takes a line speed in bit/s such as 9600, not '%1'"_s.arg(value), {}};
        inv.lineSettings = settings;
    } else if (option == u"--timeout"_s) {
        inv.timeoutMs = value.toInt(&ok);
        if (!ok || inv.timeoutMs < 0)
            return UsageError{
                u"--timeout takes a number of milliseconds, 0 or more, not '%1'"_s.arg(value), {}};
    } else if (option == u"--help"_s || option == u"-h"_s) {
        inv.help = true;
    } else if (option == u"--version"_s) {
        inv.version = true;
    } else {
        return UsageError{u"unknown option '%1'"_s.arg(option), {}};
    }
    return std::nullopt;
}
} // namespace

std::variant<Invocation, UsageError> parseInvocation(const QStringList& arguments) {
    Invocation inv;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool endOfOptions = argument == u"--"_s;
        if (endOfOptions || !argument.startsWith(u'-') || argument == u"-"_s) {
            const qsizetype at = endOfOptions ? i + 1 : i;
            if (at < arguments.size()) {
                inv.command = arguments[at];
                inv.arguments = arguments.mid(at + 1);
            }
            break;
        }
        QString option = argument;
        QString value;
        const qsizetype equals = argument.indexOf(u'=');
        const bool inlineValue = argument.startsWith(u"--"_s) && equals > 0;
        if (inlineValue) {
            option = argument.left(equals);
            value = argument.mid(equals + 1);
        }
        if (takesValue(option) && !inlineValue) {
            if (i + 1 >= arguments.size())
                return UsageError{u"%1 needs a value"_s.arg(option), {}};
            value = arguments[++i];
        } else if (!takesValue(option) && inlineValue) {
            return UsageError{u"%1 takes no value"_s.arg(option), {}};
        }
        if (auto error = applyOption(inv, option, value))
            return *error;
    }
    if (inv.command.isEmpty() && !inv.help && !inv.version)
        return UsageError{u"no command given"_s, {}};
    return inv;
}

} // namespace veld::cli
