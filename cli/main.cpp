// veldctl: drives a VELD display module from the shell, one command per run.
// See cli/Commands.cpp or `veldctl --help` for the commands.
#include "cli/Veldctl.h"
#include "common/QuitOnSignal.h"

#include <QCoreApplication>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    // Descriptors 0 to 2 lead somewhere before anything is opened: a port
    // opened in their place would take what is written to standard output.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && ::open("/dev/null", O_RDWR | O_CLOEXEC) != fd)
            return 2;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veldctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELD_VERSION));
    const veld::common::QuitOnSignal quit;
    const int status = veld::cli::runVeldctl(QCoreApplication::arguments().mid(1), quit);
    quit.endByReceivedSignal();
    return status;
}
