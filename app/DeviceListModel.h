#pragma once

#include "serial/FoundPorts.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>

namespace veld::app {

// The devices an editable combo box offers. Its list shows each device with
// what is known of it; its edit field takes the path alone (the edit role).
class DeviceListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    // The current device first, unless it is among the found ones, then the
    // found ones in their order.
    void setDevices(const QString& current, const QList<serial::FoundPort>& found);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Entry {
        QString path;
        QString shown;
    };
    QList<Entry> m_entries;
};

} // namespace veld::app
