#include "app/HandlerRules.h"

namespace veld::app {

HandlerRule handlerRule(protocol::Command command) {
    using enum protocol::Command;
    switch (command) {
    case CountdownInterval:
    case CounterEnable:
    case DecimalPoint:
    case StartupFunction:
    case TimeStampRequest:
        return {SendRule::Unguarded, PollingEffect::Clears};
    // "Send ASCII" asks first, and shows a box when the port is closed.
    case DisplayText:
    case SetClock:
    case CountdownStartStop:
    case CounterDisable:
    case CountdownReset:
        return {SendRule::Guarded, PollingEffect::Clears};
    case TemperatureRequest:
    case ModuleLineSpeed:
        return {SendRule::Unguarded, PollingEffect::Leaves};
    case Output2Off:
    case Output2On:
    case Output1Off:
    case Output1On:
    case BuzzerOn:
    case BuzzerOff:
    case ToggleFlashing:
        return {SendRule::Guarded, PollingEffect::Leaves};
    }
    return {SendRule::Guarded, PollingEffect::Leaves};
}

} // namespace veld::app
