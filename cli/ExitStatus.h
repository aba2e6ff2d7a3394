#pragma once

namespace veld::cli {

enum class ExitStatus : int {
    Done = 0,
    Usage = 1,           // also: standard output could not be written
    PortUnavailable = 2, // cannot be opened, or lost while in use
    NoAnswer = 3,        // time or temp heard nothing within the timeout
};

inline constexpr int exitCode(ExitStatus status) {
    return static_cast<int>(status);
}

} // namespace veld::cli
