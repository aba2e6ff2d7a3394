#pragma once

namespace veld::cli {

// veldctl's exit statuses, on its own and through a panel alike.
enum class ExitStatus : int {
    Done = 0,
    Usage = 1,           // also: standard output could not be written
    PortUnavailable = 2, // cannot be opened, or lost while in use
    NoAnswer = 3,        // time or temp heard nothing within the timeout
};

constexpr int exitCode(ExitStatus status) {
    return static_cast<int>(status);
}

} // namespace veld::cli
