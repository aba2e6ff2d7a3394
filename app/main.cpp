#include "app/frmVELD.h"

#include <QApplication>
#include <QIcon>

namespace {
// The panel's icon in the sizes a title bar and task switcher use; the window
// system picks the one that fits. Larger ones would only slow the start.
QIcon panelIcon() {
    QIcon icon;
    for (const int size : {32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/veld-%1.png").arg(size), QSize(size, size));
    return icon;
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("VELD"));
    QCoreApplication::setApplicationName(QStringLiteral("VELD"));
    QGuiApplication::setDesktopFileName(QStringLiteral(VELD_APP_ID));
    QApplication::setWindowIcon(panelIcon());

    veld::app::frmVELD window;
    window.Form_Load();
    window.centreOnScreen();
    window.show();
    return QApplication::exec();
}
