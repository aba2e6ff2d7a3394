#include "protocol/MessageSplitter.h"

#include "protocol/ReceiveDecoder.h"

namespace veld::protocol {

std::optional<std::size_t> messageLength(std::uint8_t code) {
    switch (static_cast<MessageKind>(code)) {
    case MessageKind::TimeStamp:
        return 6;
    case MessageKind::ButtonPressed:
    case MessageKind::TemperatureAtOrAboveZero:
    case MessageKind::CounterEvent:
    case MessageKind::TemperatureBelowZero:
    case MessageKind::CounterReset:
        return 4;
    }
    return std::nullopt;
}

std::vector<Bytes> MessageSplitter::feed(std::span<const std::uint8_t> bytes) {
    m_held.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::vector<Bytes> messages;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t header = m_held.find(static_cast<char>(kFrameHeader), pos);
        const std::size_t skipTo = header == Bytes::npos ? m_held.size() : header;
        m_discarded += skipTo - pos;
        pos = skipTo;
        if (m_held.size() - pos < 2)
            break;
        const auto length = messageLength(byteAt(m_held, pos + 1));
        if (length && m_held.size() - pos < *length)
            break;
        if (!length || byteAt(m_held, pos + *length - 1) != kFrameTerminator) {
            ++m_discarded;
            ++pos;
            continue;
        }
        messages.push_back(m_held.substr(pos, *length));
        pos += *length;
    }
    m_held.erase(0, pos);
    return messages;
}

} // namespace veld::protocol
