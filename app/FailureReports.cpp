#include "app/FailureReports.h"

#include "serial/SettingsStore.h"

#include <cstdio>

namespace veld::app {

using namespace Qt::StringLiterals;
using serial::SettingsStore;

void FailureReports::show(const QString& title, const QString& text, const QString& cause,
                          QWidget* parent) const {
    m_show(parent ? parent : m_parent, title, text, cause);
}

void FailureReports::settingsNotStored() {
    if (std::exchange(m_settingsErrorShown, true))
        return;
    show(u"SETTINGS ERROR"_s,
         u"The settings could not be stored in %1: %2. Your choice holds until the "
         "panel is closed."_s.arg(SettingsStore::filePath(), SettingsStore::lastError()));
}

void FailureReports::logNotWritten(const QString& cause) const {
    std::fprintf(stderr, "veld: traffic log not written: %s\n", qUtf8Printable(cause));
    show(u"FILE ERROR"_s, u"The traffic log cannot be written; the panel runs on without it"_s,
         cause);
}

} // namespace veld::app
