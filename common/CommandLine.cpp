#include "common/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

namespace veld::common {

void parseCommandLine(QCommandLineParser& parser, int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const bool parsed = parser.parse(arguments);
    const QString help = QStringLiteral("help");
    const QString version = QStringLiteral("version");
    if (parsed && !parser.isSet(help) && !parser.isSet(version))
        return;
    // The parser's texts name the program from a core application's arguments.
    const QCoreApplication core(argc, argv);
    if (!parsed) {
        // Named by its file, as its other messages are ("veld: ..."), not by
        // its application name ("VELD").
        std::fprintf(stderr, "%s: %s\n\n%s",
                     qUtf8Printable(QFileInfo(QCoreApplication::applicationFilePath()).fileName()),
                     qUtf8Printable(parser.errorText()), qUtf8Printable(parser.helpText()));
        std::exit(EXIT_FAILURE);
    }
    if (parser.isSet(version))
        parser.showVersion();
    parser.showHelp();
}

bool displayAvailable() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool x = platform.isEmpty() || platform.contains("xcb");
    const bool wayland = platform.isEmpty() || platform.contains("wayland");
    return (!x && !wayland) || (x && !qEnvironmentVariableIsEmpty("DISPLAY")) ||
           (wayland && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
#else
    return true;
#endif
}

} // namespace veld::common
