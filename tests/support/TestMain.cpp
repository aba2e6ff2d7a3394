#include "support/TestMain.h"

#include "app/FontSubstitutes.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace veld::test {

int runQtTest(int argc, char** argv, QObject* (*makeTest)()) {
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
    std::unique_ptr<QObject> test(makeTest());
    return QTest::qExec(test.get(), argc, argv);
}

} // namespace veld::test
