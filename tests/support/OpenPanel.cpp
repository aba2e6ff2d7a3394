#include "support/OpenPanel.h"

#include <QLabel>
#include <QPushButton>

namespace veld::test {

using namespace Qt::StringLiterals;

OpenPanel::OpenPanel() {
    h.mapPort(1, com1.slavePath());
    h.start();
    com1.receive(3);
}

QString OpenPanel::text(const QString& label) const {
    return c().label(label)->text();
}

bool OpenPanel::shown(const QString& label) const {
    return !c().label(label)->isHidden();
}

void OpenPanel::tick() {
    h.tick();
}

void OpenPanel::receive(const char* hex) {
    com1.send(hexBytes(hex));
    tick();
}

void OpenPanel::startPolling() {
    c().button(u"cmdTemp"_s)->click();
    c().label(u"lblTemp"_s)->setText(u"25"_s);
}

} // namespace veld::test
