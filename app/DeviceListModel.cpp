#include "app/DeviceListModel.h"

#include <QStringList>
#include <algorithm>

namespace veld::app {

namespace {
// "/dev/ttyUSB0  (FT232R USB UART, FTDI, A50285BI)", leaving out what is unknown.
QString shownText(const QString& path, const serial::FoundPort* port) {
    const QString known = port ? port->known() : QString();
    return known.isEmpty() ? path : path + QStringLiteral("  (") + known + u')';
}
} // namespace

void DeviceListModel::setDevices(const QString& current, const QList<serial::FoundPort>& found) {
    beginResetModel();
    m_entries.clear();
    const auto isCurrent = [&current](const serial::FoundPort& port) {
        return port.path == current;
    };
    if (!current.isEmpty() && std::none_of(found.begin(), found.end(), isCurrent)) {
        // Named by its system location rather than its stable link: still say what it is.
        const auto same =
            std::find_if(found.begin(), found.end(), [&current](const serial::FoundPort& port) {
                return port.systemLocation == current;
            });
        m_entries.append({current, shownText(current, same == found.end() ? nullptr : &*same)});
    }
    for (const serial::FoundPort& port : found)
        m_entries.append({port.path, shownText(port.path, &port)});
    endResetModel();
}

int DeviceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

QVariant DeviceListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    const Entry& entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return entry.shown;
    case Qt::EditRole:
        return entry.path;
    default:
        return {};
    }
}

} // namespace veld::app
