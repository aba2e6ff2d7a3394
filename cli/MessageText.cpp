#include "cli/MessageText.h"

#include "protocol/Temperature.h"

namespace veld::cli {

using namespace Qt::StringLiterals;
using protocol::MessageKind;

namespace {
bool belowZero(const protocol::ModuleMessage& m) {
    return m.kind == MessageKind::TemperatureBelowZero;
}

int celsius(const protocol::ModuleMessage& m) {
    return belowZero(m) ? -m.celsius : m.celsius;
}

int fahrenheit(const protocol::ModuleMessage& m) {
    return belowZero(m) ? protocol::fahrenheitBelowZero(m.celsius)
                        : protocol::fahrenheitAtOrAboveZero(m.celsius);
}

QString time(const protocol::ModuleMessage& m) {
    return timeText(m.hours, m.minutes, m.seconds);
}
} // namespace

QString timeText(int hours, int minutes, int seconds) {
    return u"%1:%2:%3"_s.arg(hours)
        .arg(minutes, 2, 10, QChar(u'0'))
        .arg(seconds, 2, 10, QChar(u'0'));
}

QString temperatureText(const protocol::ModuleMessage& message, bool inFahrenheit) {
    return QString::number(inFahrenheit ? fahrenheit(message) : celsius(message));
}

QString eventLine(const protocol::ModuleMessage& m) {
    switch (m.kind) {
    case MessageKind::ButtonPressed:
        return u"button %1"_s.arg(m.button);
    case MessageKind::TemperatureAtOrAboveZero:
    case MessageKind::TemperatureBelowZero:
        return u"temp "_s + temperatureText(m, false);
    case MessageKind::CounterEvent:
        return u"count"_s;
    case MessageKind::CounterReset:
        return u"count-reset"_s;
    case MessageKind::TimeStamp:
        return u"time "_s + time(m);
    }
    return {};
}

QString eventJson(const protocol::ModuleMessage& m) {
    switch (m.kind) {
    case MessageKind::ButtonPressed:
        return u"{\"event\":\"button\",\"button\":%1}"_s.arg(m.button);
    case MessageKind::TemperatureAtOrAboveZero:
    case MessageKind::TemperatureBelowZero:
        return u"{\"event\":\"temp\",\"celsius\":%1,\"fahrenheit\":%2}"_s.arg(celsius(m))
            .arg(fahrenheit(m));
    case MessageKind::CounterEvent:
        return u"{\"event\":\"count\"}"_s;
    case MessageKind::CounterReset:
        return u"{\"event\":\"count-reset\"}"_s;
    case MessageKind::TimeStamp:
        return u"{\"event\":\"time\",\"hours\":%1,\"minutes\":%2,\"seconds\":%3,\"text\":\"%4\"}"_s
            .arg(m.hours)
            .arg(m.minutes)
            .arg(m.seconds)
            .arg(time(m));
    }
    return {};
}

} // namespace veld::cli
