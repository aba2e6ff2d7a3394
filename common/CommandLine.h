#pragma once

class QCommandLineParser;

namespace veld::common {

// Parses the program's command line before any application object exists, so
// that what ends the program at once needs no display: --help and --version
// print and end it with status 0, a refused command line prints why and the
// usage on standard error and ends it with status 1. Returns when the program
// is to go on. The application's name and version are set beforehand.
void parseCommandLine(QCommandLineParser& parser, int argc, char** argv);

// Whether a window can be shown: a platform plugin that needs no display
// (offscreen, vnc, ...), or a display for X or Wayland. Without one, making
// the QApplication would end the program with a core dump.
bool displayAvailable();

} // namespace veld::common
