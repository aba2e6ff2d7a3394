// main() of the GoogleTest programs that need a QApplication: the offscreen
// platform, and a settings folder and a runtime folder of the program's own,
// removed afterwards. Every panel a test opens serves its port on a socket in
// the runtime folder, and a veldctl given no port takes the one panel serving:
// a shared folder would let one test program's veldctl reach another's panel.
#include "app/PanelFonts.h"
#include "app/frmVELD.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir config;
    QTemporaryDir runtime;
    if (!config.isValid() || !runtime.isValid())
        qFatal("no temporary folder for the settings and the sockets");
    // Before the first QSettings: it reads the folder once per process.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("VELD"));
    QCoreApplication::setApplicationName(QStringLiteral("VELD"));
    veld::app::installFontSubstitutes();
    return RUN_ALL_TESTS();
}
