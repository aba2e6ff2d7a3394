#pragma once

#include "protocol/Frame.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace veld::protocol {

// Whole length of a module message by its code: the time stamp is FE 01 ss mm
// hh FF, every other message FE code data FF. Nothing for an unknown code.
std::optional<std::size_t> messageLength(std::uint8_t code);

// Cuts the module's byte stream into whole messages: a header 0xFE, a known
// code, its data and the terminator 0xFF. Bytes before a header are skipped;
// a header with an unknown code or without its terminator is skipped too, and
// the search starts again at the byte after it. Messages may arrive split
// across any number of reads.
class MessageSplitter {
public:
    std::vector<Bytes> feed(std::span<const std::uint8_t> bytes);

    // Bytes skipped so far, as garbage or as parts of broken messages.
    std::size_t discardedBytes() const { return m_discarded; }

private:
    Bytes m_held;
    std::size_t m_discarded = 0;
};

} // namespace veld::protocol
