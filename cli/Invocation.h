#pragma once

#include "cli/Commands.h"

#include <QString>
#include <QStringList>
#include <variant>

namespace veld::cli {

// Which port to open: a device path, COMn as the panel maps it, or the
// panel's stored port.
struct PortChoice {
    enum class Kind { Stored, ComNumber, Path };
    Kind kind = Kind::Stored;
    int comNumber = 0;
    QString path;
};

// The options, the command and its own arguments.
struct Invocation {
    static constexpr int kDefaultTimeoutMs = 1000;

    PortChoice port;
    QString lineSettings; // from --speed; empty: the panel's stored ones
    int timeoutMs = kDefaultTimeoutMs;
    bool help = false;
    bool version = false;
    bool verbose = false; // the serial control's own notes and warnings too
    bool direct = false;  // the port itself even while a panel serves it
    CommandOptions options;
    QString command;
    QStringList arguments;
};

// The arguments after the program's name. Options may stand before or after
// the command; after "--" everything is an argument, so that a text may start
// with '-'. Of --port and --com the last one given counts.
std::variant<Invocation, UsageError> parseInvocation(const QStringList& arguments);

} // namespace veld::cli
