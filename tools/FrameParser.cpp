#include "tools/FrameParser.h"

#include "protocol/CommandTable.h"
#include "protocol/Frame.h"

#include <algorithm>

namespace veld::tools {

std::vector<ReceivedFrame> FrameParser::feed(std::span<const std::uint8_t> bytes) {
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    return parse();
}

std::vector<ReceivedFrame> FrameParser::expirePartial() {
    std::vector<ReceivedFrame> frames;
    // Every candidate left is as stale as the first: keep giving up until
    // nothing incomplete remains.
    while (!m_buffer.empty()) {
        dropFront(1);
        auto more = parse();
        frames.insert(frames.end(), more.begin(), more.end());
    }
    return frames;
}

void FrameParser::reset() {
    m_discarded += m_buffer.size();
    m_buffer.clear();
}

void FrameParser::dropFront(std::size_t count) {
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(count));
    m_discarded += count;
}

std::vector<ReceivedFrame> FrameParser::parse() {
    std::vector<ReceivedFrame> frames;
    for (;;) {
        const auto header = std::find(m_buffer.begin(), m_buffer.end(), protocol::kFrameHeader);
        dropFront(static_cast<std::size_t>(header - m_buffer.begin()));
        if (m_buffer.size() < 2)
            break;
        const auto entry = protocol::findCommand(m_buffer[1]);
        if (!entry) {
            dropFront(1);
            continue;
        }
        const std::size_t length = 3 + entry->dataBytes;
        if (m_buffer.size() < length)
            break;
        if (m_buffer[length - 1] != protocol::kFrameTerminator) {
            dropFront(1);
            continue;
        }
        frames.push_back({m_buffer[1],
                          {m_buffer.begin() + 2,
                           m_buffer.begin() + 2 + static_cast<std::ptrdiff_t>(entry->dataBytes)}});
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(length));
    }
    return frames;
}

} // namespace veld::tools
