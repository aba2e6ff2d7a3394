#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace veld::tools {

class LineOutput;
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
// frame), ok, error, state, help. Fields are separated by " | ". An input
// line longer than kMaxLineBytes is discarded up to its newline, with one
// error line.
class HeadlessConsole : public QObject {
    Q_OBJECT

public:
    static constexpr qsizetype kMaxLineBytes = 4096;

    HeadlessConsole(VirtualModule& module, int inputFd, LineOutput& output,
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
    LineOutput& m_output;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_pending;
    bool m_discarding = false;
    QString m_lastDisplay;
};

} // namespace veld::tools
