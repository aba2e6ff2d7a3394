#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace veld::app {

// Shows a failure to the user and returns when it has been dismissed.
using MessageBoxFn =
    std::function<void(QWidget* parent, const QString& title, const QString& text)>;

// A modal box with the information icon and a single OK button.
void showInformationBox(QWidget* parent, const QString& title, const QString& text);

} // namespace veld::app
