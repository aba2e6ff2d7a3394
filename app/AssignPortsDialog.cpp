#include "app/AssignPortsDialog.h"

#include "app/DeviceListModel.h"
#include "serial/PortMap.h"
#include "serial/SettingsStore.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace veld::app {

using namespace Qt::StringLiterals;
using serial::SettingsStore;

AssignPortsDialog::AssignPortsDialog(QWidget* parent)
    : QDialog(parent)
    , m_found(serial::foundPorts()) {
    setWindowTitle(u"Assign Ports"_s);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(u"Pick or type the device that each COM item opens. "
                             u"It is used the next time the item is picked."_s);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    // Made in Tab order: the rows from COM1 to COM5, then the buttons.
    for (int port = serial::kFirstPort; port <= serial::kLastPort; ++port)
        addRow(*grid, port);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &AssignPortsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AssignPortsDialog::reject);
    layout->addWidget(buttons);

    m_poll.setInterval(1000);
    connect(&m_poll, &QTimer::timeout, this, &AssignPortsDialog::refreshFoundPorts);
}

void AssignPortsDialog::addRow(QGridLayout& grid, int port) {
    const auto mapping = serial::mappingForPort(port).value_or(serial::PortMapping{});
    Row row{port, mapping.device, mapping.source == serial::PortSource::Environment};
    const QString item = serial::portSettingsKey(port);

    auto* label = new QLabel(u"COM&%1"_s.arg(port));
    row.box = new QComboBox;
    row.box->setObjectName(u"cbo"_s + item);
    row.box->setAccessibleName(item + u" device"_s);
    row.box->setEditable(true);
    row.box->setInsertPolicy(QComboBox::NoInsert);
    row.box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // Narrow enough for a 1280-pixel screen at twice the scale; wider where
    // the dialog is, the middle of a long name elided in the list.
    row.box->setMinimumContentsLength(24);
    row.box->view()->setTextElideMode(Qt::ElideMiddle);
    label->setBuddy(row.box);
    row.model = new DeviceListModel(row.box);
    row.box->setModel(row.model);
    row.model->setDevices(row.initial, row.fromEnvironment ? QList<serial::FoundPort>{} : m_found);
    row.box->setEditText(row.initial);

    const int at = grid.rowCount();
    grid.addWidget(label, at, 0);
    grid.addWidget(row.box, at, 1);
    if (row.fromEnvironment) {
        row.box->lineEdit()->setReadOnly(true);
        const QString note =
            u"set by %1 in the environment"_s.arg(serial::portEnvironmentVariable(port));
        row.box->setAccessibleDescription(note);
        auto* noteLabel = new QLabel(note);
        noteLabel->setWordWrap(true);
        grid.addWidget(noteLabel, at + 1, 1);
    }
    m_rows.append(row);
}

void AssignPortsDialog::refreshFoundPorts() {
    QList<serial::FoundPort> found = serial::foundPorts();
    if (found == m_found)
        return;
    m_found = std::move(found);
    for (const Row& row : m_rows) {
        if (row.fromEnvironment)
            continue;
        const QString typed = row.box->currentText();
        const int cursor = row.box->lineEdit()->cursorPosition();
        row.model->setDevices(row.initial, m_found);
        row.box->setEditText(typed);
        row.box->lineEdit()->setCursorPosition(cursor);
    }
}

void AssignPortsDialog::accept() {
    m_storeFailed = false;
    for (const Row& row : m_rows) {
        const QString device = row.box->currentText().trimmed();
        if (row.fromEnvironment || device == row.initial)
            continue;
        const QString key = serial::portSettingsKey(row.port);
        // An emptied row brings the default back.
        const bool stored = device.isEmpty()
                                ? SettingsStore::remove(SettingsStore::kPorts, key)
                                : SettingsStore::write(SettingsStore::kPorts, key, device);
        m_storeFailed |= !stored;
    }
    QDialog::accept();
}

void AssignPortsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    refreshFoundPorts();
    m_poll.start();
}

void AssignPortsDialog::hideEvent(QHideEvent* event) {
    m_poll.stop();
    QDialog::hideEvent(event);
}

} // namespace veld::app
