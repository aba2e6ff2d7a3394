#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <utility>
#include <vector>

class QWidget;

namespace veld::app {

// While the line is lost: the controls that talk to the port are disabled,
// one box says so, and both are undone when a port is open again.
class PortOutage {
public:
    // `controls` are disabled for each outage; the box is shown over `parent`.
    PortOutage(QWidget* parent, std::vector<QWidget*> controls);

    // The line named `lineName` was lost for `cause`. The box is shown once per
    // outage and the panel goes on while it is open: the port may come back
    // before the user has read it.
    void lost(const QString& lineName, const QString& cause);
    // A port is open again: each control as it was before the outage, the box closed.
    void end();
    // The box that says the port was lost, while it is open.
    const QMessageBox* box() const { return m_box.data(); }

private:
    QWidget* m_parent;
    std::vector<QWidget*> m_controls;
    // Whether each control was enabled when the line was lost; empty when no
    // outage is going on.
    std::vector<std::pair<QWidget*, bool>> m_enabledBefore;
    QPointer<QMessageBox> m_box;
};

} // namespace veld::app
