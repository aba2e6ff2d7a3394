#pragma once

#include "protocol/Frame.h"
#include "protocol/FrameSplitter.h"
#include "protocol/ReceiveDecoder.h"

#include <cstddef>
#include <span>
#include <vector>

namespace veld::protocol {

// What one read from the port gave, decoded once for everyone who shows it
// (the window's labels, the traffic window, the log).
struct DecodedRead {
    Bytes bytes;                         // the read as it came from the port
    std::vector<Bytes> frames;           // each message this read completed, in order
    std::vector<ModuleMessage> messages; // frames[i] decoded
    std::size_t skippedBytes = 0;        // given up in this read: garbage, broken frames
    Bytes held; // the start of a message cut by the end of the read, kept for the next
};

// Turns the poll's reads into module messages: every whole message of a read,
// in order, through the one frame splitter; the bytes of a message cut by the
// end of a read wait for the next read.
class ReadDecoder {
public:
    DecodedRead decode(std::span<const std::uint8_t> read);
    // Forgets a cut message, as when the port is closed, changed or reopened.
    void reset() { m_splitter.reset(); }

private:
    FrameSplitter m_splitter{messageLength};
};

} // namespace veld::protocol
