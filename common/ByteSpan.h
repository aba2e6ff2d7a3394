#pragma once

#include <QByteArray>
#include <cstdint>
#include <span>

namespace veld::common {

// The bytes of a Qt byte array as the protocol decoders take them, unsigned,
// without a copy; valid while the array is unchanged.
inline std::span<const std::uint8_t> byteSpan(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

} // namespace veld::common
