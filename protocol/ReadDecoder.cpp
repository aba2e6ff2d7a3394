#include "protocol/ReadDecoder.h"

namespace veld::protocol {

DecodedRead ReadDecoder::decode(std::span<const std::uint8_t> read) {
    DecodedRead decoded;
    decoded.bytes.assign(reinterpret_cast<const char*>(read.data()), read.size());
    const std::size_t skippedBefore = m_splitter.discardedBytes();
    decoded.frames = m_splitter.feed(read);
    decoded.skippedBytes = m_splitter.discardedBytes() - skippedBefore;
    decoded.held = m_splitter.held();
    decoded.messages.reserve(decoded.frames.size());
    for (const Bytes& frame : decoded.frames)
        if (const auto message = decodeMessage(bytesOf(frame)))
            decoded.messages.push_back(*message);
    return decoded;
}

} // namespace veld::protocol
