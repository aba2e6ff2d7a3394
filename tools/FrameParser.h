#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace veld::tools {

// One command frame as the module heard it: its code and data bytes.
struct ReceivedFrame {
    std::uint8_t code = 0;
    std::vector<std::uint8_t> data;

    friend bool operator==(const ReceivedFrame&, const ReceivedFrame&) = default;
};

// Cuts the panel's byte stream into command frames: header 0xFE, a known code,
// that code's data bytes (count from the command table), terminator 0xFF.
// Bytes before a header are skipped. A header whose code is unknown or whose
// frame does not end in 0xFF is dropped and the search for a header starts
// again at the byte after it, so a truncated frame costs no following frame.
// Frames may arrive split across any number of reads.
class FrameParser {
public:
    std::vector<ReceivedFrame> feed(std::span<const std::uint8_t> bytes);

    // True while the bytes held so far start a frame that is not complete yet.
    bool hasPartial() const { return !m_buffer.empty(); }

    // The line went quiet inside a frame: the frame will never be completed.
    // Gives it up and returns whatever complete frames follow its header.
    std::vector<ReceivedFrame> expirePartial();

    // Forgets everything held, as after a break on the line.
    void reset();

    // Bytes skipped so far, as garbage or as parts of broken frames.
    std::size_t discardedBytes() const { return m_discarded; }

private:
    std::vector<ReceivedFrame> parse();
    void dropFront(std::size_t count);

    std::vector<std::uint8_t> m_buffer;
    std::size_t m_discarded = 0;
};

} // namespace veld::tools
