#include "app/PortOutage.h"

#include "app/MessageBoxes.h"

namespace veld::app {

using namespace Qt::StringLiterals;

PortOutage::PortOutage(QWidget* parent, std::vector<QWidget*> controls)
    : m_parent(parent)
    , m_controls(std::move(controls)) {}

void PortOutage::lost(const QString& lineName, const QString& cause) {
    if (m_enabledBefore.empty())
        for (QWidget* control : m_controls)
            m_enabledBefore.emplace_back(control, control->isEnabled());
    for (QWidget* control : m_controls)
        control->setEnabled(false);
    if (m_box)
        return;
    m_box = informationBox(
        m_parent, u"COM PORT ERROR"_s,
        u"%1 was disconnected. It will be reopened when it returns."_s.arg(lineName), cause);
    m_box->setAttribute(Qt::WA_DeleteOnClose);
    m_box->open();
}

void PortOutage::end() {
    for (const auto& [control, enabled] : std::exchange(m_enabledBefore, {}))
        control->setEnabled(enabled);
    if (m_box)
        m_box->close();
}

} // namespace veld::app
