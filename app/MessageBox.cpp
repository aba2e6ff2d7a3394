#include "app/MessageBox.h"

#include <QMessageBox>

namespace veld::app {

void showInformationBox(QWidget* parent, const QString& title, const QString& text,
                        const QString& detail) {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box.setDetailedText(detail);
    box.exec();
}

} // namespace veld::app
