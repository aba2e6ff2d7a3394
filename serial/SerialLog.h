#pragma once

#include <QLoggingCategory>

namespace veld::serial {
Q_DECLARE_LOGGING_CATEGORY(lcSerial)
}
