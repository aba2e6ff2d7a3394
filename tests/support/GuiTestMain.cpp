// main() of the GoogleTest programs that need a QApplication: the offscreen
// platform and a settings folder of the program's own, removed afterwards.
#include "app/PanelFonts.h"
#include "app/frmVELD.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir config;
    if (!config.isValid())
        qFatal("no temporary folder for the settings");
    // Before the first QSettings: it reads the folder once per process.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("VELD"));
    QCoreApplication::setApplicationName(QStringLiteral("VELD"));
    veld::app::installFontSubstitutes();
    return RUN_ALL_TESTS();
}
