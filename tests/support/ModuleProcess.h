#pragma once

#include <QProcess>
#include <QStringList>

namespace veld::test {

// The veld-module program as a child process: its first output line is the
// device path, each later line reports one event, and commands go in on
// standard input.
class ModuleProcess {
public:
    static constexpr int kWaitMs = 5000;

    ModuleProcess();
    ~ModuleProcess();
    ModuleProcess(const ModuleProcess&) = delete;
    ModuleProcess& operator=(const ModuleProcess&) = delete;

    // Starts it (with its window unless `headless`) and waits for the device
    // path; false when it did not start. With a `reader` its standard output
    // goes into the reader's standard input, and this returns once it runs.
    bool start(const QStringList& extraArguments = {}, bool headless = true,
               QProcess* reader = nullptr);
    QString devicePath() const { return m_devicePath; }
    QProcess& process() { return m_process; }
    void command(const QString& line);
    // Takes output lines up to and including the first that starts with
    // `prefix` and contains every one of `parts`; returns it, or an empty
    // string when no such line came in time.
    QString waitForLine(const QString& prefix, const QStringList& parts = {});
    QString transcript() const { return m_seen.join(QLatin1Char('\n')); } // every line taken

private:
    QProcess m_process;
    QStringList m_seen;
    QString m_devicePath;
};

} // namespace veld::test
