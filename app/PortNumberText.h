#pragma once

#include <QString>
#include <optional>

namespace veld::app {

// The stored "CommPort" text as a whole number; blanks around it allowed.
// Text that is not a whole number, or one too large, gives nothing.
std::optional<int> portNumberFromText(const QString& text);

} // namespace veld::app
