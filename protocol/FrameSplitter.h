#pragma once

#include "protocol/Frame.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace veld::protocol {

// Cuts a byte stream into frames: the header 0xFE, a code that the length rule
// knows, the rest of that length, the last byte the terminator 0xFF. Bytes
// before a header are skipped; a header whose code is unknown or whose frame
// does not end in 0xFF is skipped too and the search starts again at the byte
// after it, so a broken frame costs no frame that follows. Frames may arrive
// split across any number of feeds; the work is linear in the bytes fed.
// Serves both directions: commands to the module (commandFrameLength) and
// messages from it (messageLength).
class FrameSplitter {
public:
    // Whole length of a frame by its code, at least 3; nothing for an unknown code.
    using LengthRule = std::optional<std::size_t> (*)(std::uint8_t code);

    explicit FrameSplitter(LengthRule length)
        : m_length(length) {}

    std::vector<Bytes> feed(std::span<const std::uint8_t> bytes);

    // True while the bytes held start a frame that is not complete yet.
    bool hasPartial() const { return !m_held.empty(); }
    // The start of that frame.
    const Bytes& held() const { return m_held; }
    // The line went quiet inside a frame: the frame will never be completed.
    // Gives it up and returns whatever whole frames follow its header.
    std::vector<Bytes> expirePartial();
    // Forgets everything held, as after a break on the line.
    void reset();

    // Bytes skipped so far, as garbage or as parts of broken frames.
    std::size_t discardedBytes() const { return m_discarded; }

private:
    void split(std::span<const std::uint8_t> bytes, std::vector<Bytes>& frames);

    LengthRule m_length;
    Bytes m_held;
    std::size_t m_discarded = 0;
};

} // namespace veld::protocol
