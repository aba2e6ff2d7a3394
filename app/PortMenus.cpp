#include "app/PortMenus.h"

#include "protocol/ModuleLineSpeed.h"
#include "serial/LineSettings.h"
#include "serial/PortMap.h"
#include "ui/CheckMarkMenu.h"
#include "ui_frmVELD.h"

#include <QActionGroup>

namespace veld::app {

namespace {
QActionGroup* exclusiveGroup(QObject* parent, std::initializer_list<QAction*> items) {
    auto* group = new QActionGroup(parent);
    for (QAction* item : items)
        group->addAction(item);
    return group;
}
} // namespace

PortMenus::PortMenus(const Ui::frmVELD& ui, QObject* parent)
    : QObject(parent)
    , m_portItems(
          exclusiveGroup(this, {ui.mnuCOM1, ui.mnuCOM2, ui.mnuCOM3, ui.mnuCOM4, ui.mnuCOM5}))
    , m_speedItems(exclusiveGroup(this, {ui.mnu12, ui.mnu24, ui.mnu48, ui.mnu96, ui.mnu192})) {
#ifdef Q_OS_WIN
    // COMn is the system's own COMn: nothing to assign.
    const QList<QAction*> commItems = ui.mnuComm->actions();
    const qsizetype assign = commItems.indexOf(ui.mnuAssignPorts);
    if (assign > 0 && commItems[assign - 1]->isSeparator())
        ui.mnuComm->removeAction(commItems[assign - 1]);
    ui.mnuComm->removeAction(ui.mnuAssignPorts);
#endif
    ui.mnuComm->setToolTipsVisible(true);
    for (QMenu* menu : {ui.mnuComm, ui.mnuBaud})
        ui::drawCheckMarks(menu);
    refreshToolTips();
    // A key stored or a variable set since the last look shows up at once.
    connect(ui.mnuComm, &QMenu::aboutToShow, this, &PortMenus::refreshToolTips);
}

QAction* PortMenus::portItem(int n) const {
    return m_portItems->actions().at(n - 1);
}

QAction* PortMenus::speedItem(int n) const {
    return m_speedItems->actions().at(n - 1);
}

std::uint32_t PortMenus::speedOfItem(int n) {
    return protocol::moduleLineSpeeds().at(static_cast<std::size_t>(n - 1));
}

void PortMenus::markStored(std::optional<int> port, const QString& settings) {
    if (port && *port >= serial::kFirstPort && *port <= serial::kLastPort)
        portItem(*port)->setChecked(true);
    for (int n = 1; n <= static_cast<int>(m_speedItems->actions().size()); ++n)
        if (settings == serial::lineSettingsText(static_cast<qint32>(speedOfItem(n))))
            speedItem(n)->setChecked(true);
}

void PortMenus::refreshToolTips() {
    for (int n = serial::kFirstPort; n <= serial::kLastPort; ++n)
        portItem(n)->setToolTip(serial::deviceForPort(n).value_or(QString()));
}

} // namespace veld::app
