#include "app/FontSubstitutes.h"
#include "app/frmVELD.h"
#include "serial/QuitOnSignal.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <cstring>

namespace {
// The panel's icon in the sizes a title bar and task switcher use; the window
// system picks the one that fits. Larger ones would only slow the start.
QIcon panelIcon() {
    QIcon icon;
    for (const int size : {32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/veld-%1.png").arg(size), QSize(size, size));
    return icon;
}

// Help and version print and end the program, without a window or a display.
bool asksOnlyForInformation(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "--help", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

void processCommandLine(const QCoreApplication& application) {
    QCoreApplication::setOrganizationName(QStringLiteral("VELD"));
    QCoreApplication::setApplicationName(QStringLiteral("VELD"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELD_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Control panel for the VELD six-digit serial display. The port and line "
                       "speed are chosen from the window's menus and kept in the settings file."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(application);
}
} // namespace

int main(int argc, char* argv[]) {
    if (asksOnlyForInformation(argc, argv)) {
        const QCoreApplication information(argc, argv);
        processCommandLine(information); // prints, then ends the program
    }
    QApplication application(argc, argv);
    processCommandLine(application);
    QGuiApplication::setDesktopFileName(QStringLiteral(VELD_APP_ID));
    QApplication::setWindowIcon(panelIcon());
    veld::app::installFontSubstitutes();

    // SIGINT, SIGTERM and SIGHUP end the panel as closing its window does.
    veld::serial::QuitOnSignal quitOnSignal;
    // Message boxes included: one may be open, also before the event loop runs.
    QObject::connect(&quitOnSignal, &veld::serial::QuitOnSignal::signalled, &application, [] {
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });

    int status = 0;
    {
        veld::app::frmVELD window;
        window.Form_Load();
        // A signal during start-up (its message box runs an event loop) ends
        // the panel before the window is shown.
        if (quitOnSignal.received() == 0) {
            window.centreOnScreen();
            window.show();
            status = QApplication::exec();
        }
    }
    quitOnSignal.endByReceivedSignal();
    return status;
}
