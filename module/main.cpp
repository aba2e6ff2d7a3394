// veld-module: a virtual VELD module on a pseudo-terminal, for running and
// testing the panel without the hardware. See HeadlessConsole.h for the
// command language of --headless. SIGINT, SIGTERM and SIGHUP end it with the
// link removed, and then by that signal.
#include "common/CommandLine.h"
#include "common/QuitOnSignal.h"
#include "module/HeadlessConsole.h"
#include "module/ModuleWindow.h"
#include "module/OutputQueue.h"
#include "module/PtyEndpoint.h"
#include "module/VirtualModule.h"
#include "ui/PanelIcon.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

using namespace veld::module;

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("veld-module"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELD_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A virtual VELD module on a pseudo-terminal. Prints the device path for "
                       "the panel on its first line of output."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption headlessOption(
        QStringLiteral("headless"),
        QStringLiteral("No window: one line per frame on standard output, inputs as commands on "
                       "standard input ('help' lists them)."));
    const QCommandLineOption linkOption(
        QStringLiteral("link"), QStringLiteral("Make <path> a symbolic link to the device."),
        QStringLiteral("path"));
    parser.addOption(headlessOption);
    parser.addOption(linkOption);
    veld::common::parseCommandLine(parser, argc, argv);

    const bool headless = parser.isSet(headlessOption);
    if (!headless && !veld::common::displayAvailable()) {
        std::fputs("veld-module: no display: use --headless\n", stderr);
        return 1;
    }
    std::unique_ptr<QCoreApplication> app;
    if (headless)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);

    // Before the link exists, so that no ending signal can leave it behind.
    veld::common::QuitOnSignal quitOnSignal;
    QObject::connect(&quitOnSignal, &veld::common::QuitOnSignal::signalled, app.get(),
                     &QCoreApplication::quit);

    bool outputGone = false;
    int status = 0;
    {
        OutputQueue output(STDOUT_FILENO);
        PtyEndpoint line;
        QString error;
        QString replaced;
        if (!line.open(error) || (parser.isSet(linkOption) &&
                                  !line.makeLink(parser.value(linkOption), error, replaced))) {
            std::fprintf(stderr, "veld-module: %s\n", qUtf8Printable(error));
            return 1;
        }
        if (!replaced.isEmpty())
            std::fprintf(stderr, "veld-module: replaced %s, a leftover link to %s\n",
                         qUtf8Printable(line.linkPath()), qUtf8Printable(replaced));
        output.print(line.devicePath());

        VirtualModule module(line);
        std::unique_ptr<HeadlessConsole> console;
        std::unique_ptr<ModuleWindow> window;
        if (headless) {
            console = std::make_unique<HeadlessConsole>(module, STDIN_FILENO, output);
            // "quit" lets the reader have every line first; signals do not wait.
            QObject::connect(console.get(), &HeadlessConsole::quitRequested, &output, [&output] {
                if (output.queued() == 0)
                    QCoreApplication::quit();
                else
                    QObject::connect(&output, &OutputQueue::drained, &QCoreApplication::quit);
            });
            // Nobody reads any more: the end, as SIGPIPE would have been.
            QObject::connect(&output, &OutputQueue::readerClosed, &output, [&outputGone] {
                outputGone = true;
                QCoreApplication::quit();
            });
        } else {
            window = std::make_unique<ModuleWindow>(module);
            window->setWindowTitle(
                QStringLiteral("Virtual VELD module on %1")
                    .arg(line.linkPath().isEmpty() ? line.devicePath() : line.linkPath()));
            window->setWindowIcon(veld::ui::panelIcon());
            window->placeBesidePanel();
            window->show();
        }
        status = app->exec();
    }
    quitOnSignal.endByReceivedSignal();
    if (outputGone) {
        ::signal(SIGPIPE, SIG_DFL);
        ::raise(SIGPIPE);
    }
    return status;
}
