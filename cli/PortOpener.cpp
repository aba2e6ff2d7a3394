#include "cli/PortOpener.h"

#include "serial/LineSettings.h"
#include "serial/MSComm.h"
#include "serial/PortMap.h"
#include "serial/SettingsStore.h"

namespace veld::cli {

using namespace Qt::StringLiterals;
using serial::SettingsStore;

namespace {
const QString kDefaultCommPort = u"1"_s;
const QString kDefaultSettings = u"9600,n,8,1"_s;
} // namespace

std::variant<OpenedPort, QString> openPort(serial::MSComm& comm, const Invocation& invocation) {
    const QString settings =
        invocation.lineSettings.isEmpty()
            ? SettingsStore::read(SettingsStore::kProperties, u"Settings", kDefaultSettings)
            : invocation.lineSettings;
    const auto line = serial::parseLineSettings(settings);
    if (!line)
        return u"the stored line settings '%1' are not valid; give --speed"_s.arg(settings);

    const bool byPath = invocation.port.kind == PortChoice::Kind::Path;
    int comNumber = invocation.port.comNumber;
    QString stored;
    if (invocation.port.kind == PortChoice::Kind::Stored) {
        stored = SettingsStore::read(SettingsStore::kProperties, u"CommPort", kDefaultCommPort);
        bool ok = false;
        comNumber = stored.trimmed().toInt(&ok);
        if (!ok)
            comNumber = 0;
    }
    const auto device =
        byPath ? std::optional(invocation.port.path) : serial::deviceForPort(comNumber);
    if (!device)
        return u"the stored port '%1' is not 1 to 5; give --port or --com"_s.arg(stored);
    const QString named = byPath ? *device : u"%1 (COM%2)"_s.arg(*device).arg(comNumber);

    if (!comm.setInputLen(0) || !comm.setInputMode(serial::MSComm::kInputModeBinary) ||
        !comm.setSettings(settings))
        return u"cannot use %1 at '%2': %3"_s.arg(named, settings, comm.failureCause());
    const bool open =
        byPath ? comm.openPath(*device) : comm.setCommPort(comNumber) && comm.setPortOpen(true);
    if (!open)
        return u"cannot open %1: %2"_s.arg(named, comm.failureCause());
    return OpenedPort{*device, line->baudRate};
}

} // namespace veld::cli
