#include "cli/MessageJson.h"

#include "protocol/WireText.h"

#include <QJsonDocument>

namespace veld::cli {

using namespace Qt::StringLiterals;

QString jsonLine(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QJsonObject eventJson(const protocol::ModuleMessage& m) {
    QJsonObject event{{u"event"_s, QString::fromLatin1(protocol::entryOf(m.kind).name)}};
    switch (m.kind) {
    case protocol::MessageKind::ButtonPressed:
        event[u"button"_s] = m.button;
        break;
    case protocol::MessageKind::TemperatureAtOrAboveZero:
    case protocol::MessageKind::TemperatureBelowZero:
        event[u"celsius"_s] = protocol::celsiusOf(m);
        event[u"fahrenheit"_s] = protocol::fahrenheitOf(m);
        break;
    case protocol::MessageKind::TimeStamp:
        event[u"hours"_s] = m.hours;
        event[u"minutes"_s] = m.minutes;
        event[u"seconds"_s] = m.seconds;
        event[u"text"_s] =
            QString::fromStdString(protocol::timeText(m.hours, m.minutes, m.seconds));
        break;
    case protocol::MessageKind::CounterEvent:
    case protocol::MessageKind::CounterReset:
        break;
    }
    return event;
}

} // namespace veld::cli
