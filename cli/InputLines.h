#pragma once

#include <QByteArray>
#include <optional>

namespace veld::common {
class QuitOnSignal;
}

namespace veld::cli {

// The lines of standard input that text - reads, ended by LF or CR LF.
class InputLines {
public:
    // The longest line text - takes; a longer one is refused up to its end.
    static constexpr qsizetype kMaxLineBytes = 4096;

    // Reads what standard input has, waiting up to `ms`; false when nothing came.
    bool read(int ms);
    // The next whole line, or the last one without an end once the input has
    // ended; the rest of a dropped line is skipped.
    std::optional<QByteArray> next();
    // True once for a line longer than text - takes: it is dropped to its end.
    bool dropOverlong();
    // The number of the last line, once the port is gone: standard input is
    // read up to its end for `ms` at most, or until a signal comes; empty when
    // it has not ended by then.
    std::optional<int> lastLine(int ms, const common::QuitOnSignal& quit);
    bool ended() const { return m_ended; }
    int number() const { return m_number; }

private:
    QByteArray m_pending;
    bool m_ended = false;
    bool m_dropping = false;
    int m_number = 0; // of the last line taken
};

} // namespace veld::cli
