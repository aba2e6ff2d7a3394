#include "support/ModuleProcess.h"

#include <QDeadlineTimer>
#include <algorithm>

namespace veld::test {

ModuleProcess::ModuleProcess() {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

ModuleProcess::~ModuleProcess() {
    if (m_process.state() != QProcess::NotRunning &&
        (m_process.write("quit\n") < 0 || !m_process.waitForFinished(kWaitMs))) {
        m_process.kill();
        m_process.waitForFinished(kWaitMs);
    }
}

bool ModuleProcess::start(const QStringList& extraArguments, bool headless, QProcess* reader) {
    if (reader)
        m_process.setStandardOutputProcess(reader);
    m_process.start(QStringLiteral(VELD_MODULE_PROGRAM),
                    (headless ? QStringList{QStringLiteral("--headless")} : QStringList{}) +
                        extraArguments);
    if (!m_process.waitForStarted(kWaitMs))
        return false;
    if (!reader)
        m_devicePath = waitForLine({});
    return reader || !m_devicePath.isEmpty();
}

void ModuleProcess::command(const QString& line) {
    if (m_process.write(line.toUtf8() + '\n') > 0)
        m_process.waitForBytesWritten(kWaitMs);
}

QString ModuleProcess::waitForLine(const QString& prefix, const QStringList& parts) {
    const QDeadlineTimer deadline(kWaitMs);
    for (;;) {
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                return {};
        const QString line = QString::fromUtf8(m_process.readLine()).chopped(1);
        m_seen.append(line);
        if (line.startsWith(prefix) && std::ranges::all_of(parts, [&line](const QString& part) {
                return line.contains(part);
            }))
            return line;
    }
}

} // namespace veld::test
