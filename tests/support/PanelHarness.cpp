#include "support/PanelHarness.h"

#include "serial/PortMap.h"

#include <QAction>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace veld::test {

namespace {
QSettings openSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("VELD"),
                     QStringLiteral("VELD"));
}
} // namespace

PanelHarness::PanelHarness() {
    clearSettings();
    for (int n = serial::kFirstPort; n <= serial::kLastPort; ++n)
        mapPort(n, missingDevice(n));
}

PanelHarness::~PanelHarness() = default;

QString PanelHarness::missingDevice(int portNumber) {
    return QStringLiteral("/nonexistent/veld-test/COM%1").arg(portNumber);
}

QString PanelHarness::settingsFilePath() {
    return openSettings().fileName();
}

void PanelHarness::mapPort(int portNumber, const QString& device) {
    qputenv(QStringLiteral("VELD_COM%1").arg(portNumber).toLatin1().constData(),
            QFile::encodeName(device));
}

void PanelHarness::storeProperty(const QString& key, const QString& value) {
    QSettings s = openSettings();
    s.setValue(QStringLiteral("Properties/") + key, value);
}

QString PanelHarness::storedProperty(const QString& key) const {
    return openSettings().value(QStringLiteral("Properties/") + key).toString();
}

bool PanelHarness::hasStoredProperty(const QString& key) const {
    return openSettings().contains(QStringLiteral("Properties/") + key);
}

void PanelHarness::clearSettings() {
    QSettings s = openSettings();
    s.clear();
}

const QStringList& PanelHarness::portItems() {
    static const QStringList items{QStringLiteral("mnuCOM1"), QStringLiteral("mnuCOM2"),
                                   QStringLiteral("mnuCOM3"), QStringLiteral("mnuCOM4"),
                                   QStringLiteral("mnuCOM5")};
    return items;
}

const QStringList& PanelHarness::speedItems() {
    static const QStringList items{QStringLiteral("mnu12"), QStringLiteral("mnu24"),
                                   QStringLiteral("mnu48"), QStringLiteral("mnu96"),
                                   QStringLiteral("mnu192")};
    return items;
}

QStringList PanelHarness::checkedItems(const QStringList& items) const {
    QStringList checked;
    for (const QString& item : items)
        if (controls().menuItem(item)->isChecked())
            checked << item;
    return checked;
}

void PanelHarness::tick() {
    fire(m_window->timer1());
}

void PanelHarness::tick2() {
    fire(m_window->timer2());
}

app::frmVELD& PanelHarness::start() {
    m_window.reset();
    m_window = std::make_unique<app::frmVELD>();
    m_window->setMessageBox([this](QWidget*, const QString& title, const QString& text) {
        if (whileBoxShown)
            whileBoxShown();
        boxes.append({title, text});
    });
    m_window->setClock([this] { return now; });
    m_window->Form_Load();
    return *m_window;
}

} // namespace veld::test
