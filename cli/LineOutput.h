#pragma once

#include <QString>
#include <cstdio>

namespace veld::cli {

enum class WriteResult { Written, PipeClosed, Failed };

// Writes the line and a newline and flushes at once, so that a pipe sees it.
// PipeClosed when the reader has gone away (EPIPE).
WriteResult writeLine(std::FILE* stream, const QString& line);

} // namespace veld::cli
