#pragma once

#include "app/MessageBoxes.h"

#include <QString>

class QWidget;

namespace veld::app {

// How the panel tells the user what failed: each in a box through one seam,
// some once per session.
class FailureReports {
public:
    explicit FailureReports(QWidget* parent)
        : m_parent(parent) {}

    void setMessageBox(MessageBoxFn show) { m_show = std::move(show); }
    // A box over the panel, or over `parent` where given.
    void show(const QString& title, const QString& text, const QString& cause = {},
              QWidget* parent = nullptr) const;
    // Once per session: the settings file could not be written.
    void settingsNotStored();
    // The traffic log cannot be written: said on the standard error and in a box.
    void logNotWritten(const QString& cause) const;

private:
    QWidget* m_parent;
    MessageBoxFn m_show = showInformationBox;
    bool m_settingsErrorShown = false;
};

} // namespace veld::app
