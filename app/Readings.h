#pragma once

#include "protocol/ReceiveDecoder.h"

#include <QString>
#include <cstdint>

namespace Ui {
class frmVELD;
}

namespace veld::app {

// What the module reports, kept and shown: the temperature in both units, the
// event count, the time stamp and the button labels.
class Readings {
public:
    explicit Readings(const Ui::frmVELD& form)
        : ui(form) {}

    // One decoded message on its labels.
    void show(const protocol::ModuleMessage& message);
    // The unit option chosen: its unit and the stored reading in it.
    void showCelsius();
    void showFahrenheit();
    // The count back to 0, shown as `caption` ("0" or "0000").
    void resetCount(const QString& caption);
    std::int16_t eventCount() const { return m_eventCount; }

private:
    const Ui::frmVELD& ui;
    std::int16_t m_celsius = 0;
    std::int16_t m_fahrenheit = 0;
    std::int16_t m_eventCount = 0;
};

} // namespace veld::app
