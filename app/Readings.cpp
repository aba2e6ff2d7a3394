#include "app/Readings.h"

#include "protocol/EventCount.h"
#include "protocol/WireText.h"
#include "ui_frmVELD.h"

#include <array>

namespace veld::app {

using namespace Qt::StringLiterals;
using protocol::MessageKind;

namespace {
constexpr QChar kDegreeSign(0x00B0);
} // namespace

void Readings::show(const protocol::ModuleMessage& message) {
    switch (message.kind) {
    case MessageKind::TemperatureAtOrAboveZero:
    case MessageKind::TemperatureBelowZero:
        m_celsius = static_cast<std::int16_t>(protocol::celsiusOf(message));
        m_fahrenheit = static_cast<std::int16_t>(protocol::fahrenheitOf(message));
        // In the unit whose option is selected now; Celsius as received, so
        // that a below-zero message of 0 shows -0.
        if (ui.optCEL->isChecked())
            ui.lblTemp->setText(
                (message.kind == MessageKind::TemperatureBelowZero ? u"-"_s : QString()) +
                QString::number(message.celsius));
        if (ui.optFAH->isChecked())
            ui.lblTemp->setText(QString::number(m_fahrenheit));
        break;
    case MessageKind::CounterEvent:
        m_eventCount = protocol::nextEventCount(m_eventCount);
        ui.lblCounter->setText(QString::number(m_eventCount));
        break;
    case MessageKind::CounterReset:
        resetCount(u"0"_s);
        break;
    case MessageKind::ButtonPressed: {
        const std::array<QLabel*, 3> labels{ui.lblButton1, ui.lblButton2, ui.lblButton3};
        if (message.button >= 1 && message.button <= 3)
            labels[static_cast<std::size_t>(message.button - 1)]->setVisible(true);
        break;
    }
    case MessageKind::TimeStamp:
        ui.lblSec->setText(QString::fromStdString(protocol::twoDigits(message.seconds)));
        ui.lblMin->setText(QString::fromStdString(protocol::twoDigits(message.minutes)));
        ui.lblHour->setText(QString::number(message.hours));
        break;
    }
}

void Readings::showCelsius() {
    ui.lblUnit->setText(kDegreeSign + u" C"_s);
    ui.lblTemp->setText(QString::number(m_celsius));
}

void Readings::showFahrenheit() {
    ui.lblUnit->setText(kDegreeSign + u" F"_s);
    ui.lblTemp->setText(QString::number(m_fahrenheit));
}

void Readings::resetCount(const QString& caption) {
    m_eventCount = 0;
    ui.lblCounter->setText(caption);
}

} // namespace veld::app
