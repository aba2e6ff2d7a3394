#pragma once

#include "cli/ExitStatus.h"

#include <QString>
#include <cstdio>
#include <optional>

namespace veld::cli {

// veldctl's output, on its own and through a panel alike.

enum class WriteResult { Written, PipeClosed, Failed };

// Writes the line and a newline and flushes at once, so that a pipe sees it.
// PipeClosed when the reader has gone away (EPIPE).
WriteResult writeLine(std::FILE* stream, const QString& line);

// One line of a stream of lines on standard output: nothing when written,
// else the exit code that ends the stream (a reader gone ends it as done).
std::optional<int> streamLine(const QString& line);

// Standard error that cannot be written leaves nowhere to say so; the exit
// status still tells.
void tellUser(const QString& lines);

// "veldctl: MESSAGE" on standard error; the status's exit code.
int fail(ExitStatus status, const QString& message);

// The reading end of standard output, a pipe, has gone away.
bool readerGone();

} // namespace veld::cli
