// veldctl: drives a VELD display module from the shell, one command per run.
// See cli/Commands.cpp or `veldctl --help` for the commands.
#include "cli/Veldctl.h"
#include "common/QuitOnSignal.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veldctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELD_VERSION));
    const veld::common::QuitOnSignal quit;
    const int status = veld::cli::runVeldctl(QCoreApplication::arguments().mid(1), quit);
    quit.endByReceivedSignal();
    return status;
}
