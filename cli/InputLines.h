#pragma once

#include <QByteArray>
#include <functional>

namespace veld::common {
class QuitOnSignal;
}

namespace veld::cli {

// One line of standard input for `text -`.
struct InputLine {
    static constexpr qsizetype kMaxBytes = 4096;

    QByteArray text;
    int number = 0;
    bool tooLong = false; // longer than kMaxBytes: refused up to its end, no text
};

enum class InputEnd {
    Ended,   // the input ended, or a signal came
    Stopped, // `take` refused a line
    Lost,    // `lost` said so
};

// Each line of standard input as it comes, the last one also without its
// newline, until the input ends, a signal comes or `take` returns false.
// Waits in short slices, asking `lost` between them.
InputEnd forEachInputLine(const common::QuitOnSignal& quit, const std::function<bool()>& lost,
                          const std::function<bool(const InputLine&)>& take);

} // namespace veld::cli
