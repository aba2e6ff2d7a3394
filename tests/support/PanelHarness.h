#pragma once

#include "app/frmVELD.h"
#include "support/NamedControls.h"
#include "support/PtyPair.h"

#include <QList>
#include <QStringList>
#include <QTime>
#include <functional>
#include <memory>

namespace veld::test {

struct ShownBox {
    QString title;
    QString text;
};

// Builds the real window with its seams caught: message boxes are recorded
// (and count as dismissed at once) and the clock reads a time the test sets.
// Every COM port maps to a path that does not exist until the test maps it.
class PanelHarness {
public:
    PanelHarness();
    ~PanelHarness();

    static QString missingDevice(int portNumber);
    static QString settingsFilePath();

    void mapPort(int portNumber, const QString& device);
    void storeProperty(const QString& key, const QString& value);
    QString storedProperty(const QString& key) const; // empty when absent
    bool hasStoredProperty(const QString& key) const;
    void clearSettings();

    // A new window, after Form_Load.
    app::frmVELD& start();
    app::frmVELD& window() { return *m_window; }
    NamedControls controls() const { return NamedControls(*m_window); }
    // One tick of Timer1 or Timer2, through their connections.
    void tick();
    void tick2();

    static const QStringList& portItems();
    static const QStringList& speedItems();
    // The items of the list that carry a check mark.
    QStringList checkedItems(const QStringList& items) const;

    QList<ShownBox> boxes;
    // Runs while a message box is up, before it counts as dismissed.
    std::function<void()> whileBoxShown;
    QTime now{12, 0, 0};

private:
    std::unique_ptr<app::frmVELD> m_window;
};

} // namespace veld::test
