#include "app/PortNumberText.h"

namespace veld::app {

std::optional<int> portNumberFromText(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace veld::app
