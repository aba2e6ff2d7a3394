#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdio>

class QSocketNotifier;

namespace veld::tools {

class VirtualModule;
struct WireEvent;

// The module without a window: one line on standard output for each frame
// heard and each message said, and the module's inputs as commands, one per
// line, on standard input. Every command answers with at least one line.
//
//   button N        press button N (1, 2 or 3)
//   temp T          set the temperature to T degrees Celsius (-40 to 125)
//   count           one event on the counter input
//   reset-counter   reset the counter
//   power           switch off and on again
//   state           print the whole state on one line
//   help            list the commands
//   quit            end the program
//
// Output lines start with a word saying what they are: rx (frame heard),
// tx (message sent), lost (bytes heard at the wrong line speed), unsent
// (message held back at the wrong line speed), skip (bytes that formed no
// frame), ok, error, state, help. Fields are separated by " | ".
class HeadlessConsole : public QObject {
    Q_OBJECT

public:
    HeadlessConsole(VirtualModule& module, int inputFd, std::FILE* output,
                    QObject* parent = nullptr);

    // Carries out one command line.
    void handleLine(const QString& line);

    // The whole state as printed by "state".
    QString stateLine() const;
    // The display text, decimal point and flashing, as appended to rx lines.
    QString displaySummary() const;

signals:
    void quitRequested();

private:
    void readInput();
    void onWireEvent(const WireEvent& event);
    void print(const QString& line);

    VirtualModule& m_module;
    int m_inputFd = -1;
    std::FILE* m_output = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_pending;
    QString m_lastDisplay;
};

} // namespace veld::tools
