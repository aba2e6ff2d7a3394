#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace veld::module {

class OutputQueue;
class VirtualModule;
struct WireEvent;

// The module without a window: one line on standard output for each frame
// heard and each message said, and the module's inputs as commands, one per
// line, on standard input (the command "help" lists them). Every command
// answers with at least one line.
//
// Output lines start with a word saying what they are: rx (frame heard),
// tx (message sent), lost (bytes heard at the wrong line speed), garbled
// (message sent at the wrong line speed: the panel reads noise), skip (bytes that formed no
// frame), ok, error, state, help. Fields are separated by " | ". An input
// line longer than kMaxLineBytes is discarded up to its newline, with one
// error line.
class HeadlessConsole : public QObject {
    Q_OBJECT

public:
    static constexpr qsizetype kMaxLineBytes = 4096;

    HeadlessConsole(VirtualModule& module, int inputFd, OutputQueue& output,
                    QObject* parent = nullptr);

    // Carries out one command line.
    void handleLine(const QByteArray& line);

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
    OutputQueue& m_output;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_pending;
    bool m_discarding = false;
    QString m_lastDisplay;
};

} // namespace veld::module
