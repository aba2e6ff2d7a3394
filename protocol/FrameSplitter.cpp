#include "protocol/FrameSplitter.h"

#include <cstring>

namespace veld::protocol {

std::vector<Bytes> FrameSplitter::feed(std::span<const std::uint8_t> bytes) {
    std::vector<Bytes> frames;
    if (m_held.empty()) {
        split(bytes, frames);
    } else {
        const Bytes joined =
            m_held + Bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        split(bytesOf(joined), frames);
    }
    return frames;
}

std::vector<Bytes> FrameSplitter::expirePartial() {
    std::vector<Bytes> frames;
    // Every candidate left is as stale as the first: keep giving up until
    // nothing incomplete remains.
    while (!m_held.empty()) {
        const Bytes rest = m_held.substr(1);
        ++m_discarded;
        split(bytesOf(rest), frames);
    }
    return frames;
}

void FrameSplitter::reset() {
    m_discarded += m_held.size();
    m_held.clear();
}

// Keeps at most one incomplete frame, so a byte is looked at again only while
// its frame is still coming.
void FrameSplitter::split(std::span<const std::uint8_t> bytes, std::vector<Bytes>& frames) {
    const std::uint8_t* at = bytes.data();
    const std::uint8_t* const end = at + bytes.size();
    for (;;) {
        const auto* header = at == end ? nullptr
                                       : static_cast<const std::uint8_t*>(std::memchr(
                                             at, kFrameHeader, static_cast<std::size_t>(end - at)));
        const std::uint8_t* const skipTo = header ? header : end;
        m_discarded += static_cast<std::size_t>(skipTo - at);
        at = skipTo;
        const auto left = static_cast<std::size_t>(end - at);
        if (left < 2)
            break;
        const auto length = m_length(at[1]);
        if (length && left < *length)
            break;
        if (!length || at[*length - 1] != kFrameTerminator) {
            ++m_discarded;
            ++at;
            continue;
        }
        frames.emplace_back(reinterpret_cast<const char*>(at), *length);
        at += *length;
    }
    m_held.assign(reinterpret_cast<const char*>(at), static_cast<std::size_t>(end - at));
}

} // namespace veld::protocol
