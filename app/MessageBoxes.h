#pragma once

#include <QString>
#include <functional>

class QMessageBox;
class QWidget;

namespace veld::app {

// Shows a failure to the user and returns when it has been dismissed. The
// cause, when there is one, says what failed and why in the system's words.
using MessageBoxFn = std::function<void(QWidget* parent, const QString& title, const QString& text,
                                        const QString& cause)>;

// A box with the information icon and a single OK button; the cause in plain
// sight under the text.
QMessageBox* informationBox(QWidget* parent, const QString& title, const QString& text,
                            const QString& cause);
// That box, modal until dismissed: the panel's MessageBoxFn.
void showInformationBox(QWidget* parent, const QString& title, const QString& text,
                        const QString& cause);

} // namespace veld::app
