#include "app/frmVELD.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("VELD"));
    QCoreApplication::setApplicationName(QStringLiteral("VELD"));

    veld::app::frmVELD window;
    window.Form_Load();
    window.centreOnScreen();
    window.show();
    return QApplication::exec();
}
