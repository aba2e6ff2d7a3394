#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

namespace veld::test {

// The veld-module program run headless as a child process: its first output
// line is the device path; each later line reports one event, and commands
// go in on standard input.
class ModuleProcess {
public:
    static constexpr int kWaitMs = 5000;

    ModuleProcess();
    ~ModuleProcess();
    ModuleProcess(const ModuleProcess&) = delete;
    ModuleProcess& operator=(const ModuleProcess&) = delete;

    // Starts it and waits for the device path. False when it did not start.
    // Without `headless` it shows its window.
    bool start(const QStringList& extraArguments = {}, bool headless = true);
    // Starts it headless with its standard output into `reader`'s standard
    // input; returns once it runs.
    bool startInto(QProcess& reader, const QStringList& extraArguments);
    QString devicePath() const { return m_devicePath; }
    QProcess& process() { return m_process; }

    void command(const QString& line);

    // Takes output lines up to and including the first that starts with
    // `prefix` and contains every one of `parts`; returns it, or an empty
    // string when no such line came within the deadline.
    QString waitForLine(const QString& prefix, const QStringList& parts = {}, int ms = kWaitMs);

    // Every line taken so far, for failure messages.
    QString transcript() const { return m_seen.join(QLatin1Char('\n')); }

private:
    bool launch(const QStringList& arguments);
    bool nextLine(QString& line, int ms);

    QProcess m_process;
    QByteArray m_partial;
    QStringList m_seen;
    QString m_devicePath;
};

} // namespace veld::test
