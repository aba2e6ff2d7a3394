// veldctl: drives a VELD display module from the shell, one command per run.
// See cli/Commands.cpp or `veldctl --help` for the commands.
#include "cli/Veldctl.h"
#include "common/QuitOnSignal.h"

#include <QCoreApplication>
#include <QLoggingCategory>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veldctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELD_VERSION));
    // The serial control's own warnings would repeat the one line that
    // veldctl prints about a port; QT_LOGGING_RULES can bring them back.
    QLoggingCategory::setFilterRules(QStringLiteral("veld.serial.warning=false"));
    const veld::common::QuitOnSignal quit;
    const int status = veld::cli::runVeldctl(QCoreApplication::arguments().mid(1), quit);
    quit.endByReceivedSignal();
    return status;
}
