#include "app/PanelFonts.h"
#include "app/frmVELD.h"
#include "common/CommandLine.h"
#include "common/QuitOnSignal.h"
#include "serial/PortMap.h"
#include "ui/PanelIcon.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication::setOrganizationName(QStringLiteral("VELD"));
    QCoreApplication::setApplicationName(QStringLiteral("VELD"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELD_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Control panel for the VELD six-digit serial display. The port and line "
                       "speed are chosen from the window's menus and kept in the settings file."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption logOption(
        QStringLiteral("log"),
        QStringLiteral("Append each line of the traffic window (frames written and read, port "
                       "events) to FILE as it happens, whether the window is open or not."),
        QStringLiteral("FILE"));
    parser.addOption(logOption);
    const QCommandLineOption comOption(
        QStringLiteral("com"),
        QStringLiteral("Open COMN at start-up instead of the stored port; nothing is stored."),
        QStringLiteral("N"));
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Open DEVICE at start-up instead of the stored port; nothing is stored."),
        QStringLiteral("DEVICE"));
    const QCommandLineOption besideOption(
        QStringLiteral("beside-module"),
        QStringLiteral("Leave room at the window's right for the virtual module's window, as "
                       "scripts/run.sh opens both, where the screen is too narrow for both with "
                       "the window centred."));
    parser.addOptions({comOption, portOption, besideOption});
    veld::common::parseCommandLine(parser, argc, argv);
    veld::cli::PortChoice startPort;
    if (parser.isSet(portOption)) {
        startPort = {veld::cli::PortChoice::Kind::Path, 0, parser.value(portOption)};
    } else if (parser.isSet(comOption)) {
        const auto n = veld::serial::comNumber(parser.value(comOption));
        if (!n) {
            std::fputs("veld: --com takes a port number from 1 to 5\n", stderr);
            return 1;
        }
        startPort = {veld::cli::PortChoice::Kind::ComNumber, *n, {}};
    }
    if (!veld::common::displayAvailable()) {
        std::fputs("veld: no display: DISPLAY and WAYLAND_DISPLAY are unset\n", stderr);
        return 1;
    }

    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(VELD_APP_ID));
    QApplication::setWindowIcon(veld::ui::panelIcon());
    veld::app::installFontSubstitutes();

    // SIGINT, SIGTERM and SIGHUP end the panel as closing its window does.
    veld::common::QuitOnSignal quitOnSignal;
    // Message boxes included: one may be open, also before the event loop runs.
    QObject::connect(&quitOnSignal, &veld::common::QuitOnSignal::signalled, &application, [] {
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });

    int status = 0;
    {
        veld::app::frmVELD window;
        if (parser.isSet(logOption))
            window.setLogFile(parser.value(logOption));
        window.Form_Load(startPort);
        // A signal during start-up (its message box runs an event loop) ends
        // the panel before the window is shown.
        if (quitOnSignal.received() == 0) {
            window.placeOnScreen(parser.isSet(besideOption) ? veld::app::Company::BesideModule
                                                            : veld::app::Company::Alone);
            window.show();
            status = QApplication::exec();
        }
    }
    quitOnSignal.endByReceivedSignal();
    return status;
}
