#pragma once

#include "cli/UsageError.h"

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

// The options before the command, the command and its own arguments.
struct Invocation {
    static constexpr int kDefaultTimeoutMs = 1000;

    PortChoice port;
    QString lineSettings; // from --speed; empty: the panel's stored ones
    int timeoutMs = kDefaultTimeoutMs;
    bool help = false;
    bool version = false;
    QString command;
    QStringList arguments;
};

// Options come before the command; everything after the command is its own,
// so that a text or a number may start with '-'. Of --port and --com the last
// one given counts.
std::variant<Invocation, UsageError> parseInvocation(const QStringList& arguments);

} // namespace veld::cli
