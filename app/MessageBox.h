#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace veld::app {

// Shows a failure to the user and returns when it has been dismissed. The
// detail, when there is one, says what the system reported.
using MessageBoxFn = std::function<void(QWidget* parent, const QString& title, const QString& text,
                                        const QString& detail)>;

// A modal box with the information icon and a single OK button; the detail
// behind its "Show Details..." button.
void showInformationBox(QWidget* parent, const QString& title, const QString& text,
                        const QString& detail);

} // namespace veld::app
