#pragma once

#include "serial/FoundPorts.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QTimer>

class QComboBox;
class QGridLayout;

namespace veld::app {

class DeviceListModel;

// "Assign Ports": which device each COM item opens. One row per item, an
// editable list of the serial ports found now plus the item's device now;
// OK stores the rows that changed under key COMn of settings group Ports.
// An item set by the environment (VELD_COMn) is shown read-only.
class AssignPortsDialog : public QDialog {
    Q_OBJECT

public:
    explicit AssignPortsDialog(QWidget* parent = nullptr);

    // The row of COMn, n = 1 to 5.
    QComboBox* deviceBox(int port) const { return m_rows.value(port - 1).box; }

    // After OK: a changed row could not be stored.
    bool storeFailed() const { return m_storeFailed; }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Row {
        int port = 0;
        QString initial;
        bool fromEnvironment = false;
        QComboBox* box = nullptr;
        DeviceListModel* model = nullptr;
    };

    void addRow(QGridLayout& grid, int port);
    // Lists the ports found now when they changed; the text in each row stays.
    void refreshFoundPorts();

    QList<Row> m_rows;
    QList<serial::FoundPort> m_found;
    QTimer m_poll;
    bool m_storeFailed = false;
};

} // namespace veld::app
