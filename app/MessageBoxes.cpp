#include "app/MessageBoxes.h"

#include <QMessageBox>
#include <memory>

namespace veld::app {

QMessageBox* informationBox(QWidget* parent, const QString& title, const QString& text,
                            const QString& cause) {
    auto* box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box->setInformativeText(cause);
    return box;
}

void showInformationBox(QWidget* parent, const QString& title, const QString& text,
                        const QString& cause) {
    const std::unique_ptr<QMessageBox> box(informationBox(parent, title, text, cause));
    box->exec();
}

} // namespace veld::app
