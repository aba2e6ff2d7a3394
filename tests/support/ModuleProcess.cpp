#include "support/ModuleProcess.h"

#include <QDeadlineTimer>

namespace veld::test {

ModuleProcess::ModuleProcess() {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

ModuleProcess::~ModuleProcess() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.write("quit\n");
    if (!m_process.waitForFinished(kWaitMs)) {
        m_process.kill();
        m_process.waitForFinished(kWaitMs);
    }
}

bool ModuleProcess::launch(const QStringList& arguments) {
    m_process.setProgram(QStringLiteral(VELD_MODULE_PROGRAM));
    m_process.setArguments(arguments);
    m_process.start();
    return m_process.waitForStarted(kWaitMs);
}

bool ModuleProcess::start(const QStringList& extraArguments, bool headless) {
    const QStringList mode = headless ? QStringList{QStringLiteral("--headless")} : QStringList{};
    return launch(mode + extraArguments) && nextLine(m_devicePath, kWaitMs) &&
           !m_devicePath.isEmpty();
}

bool ModuleProcess::startInto(QProcess& reader, const QStringList& extraArguments) {
    m_process.setStandardOutputProcess(&reader);
    return launch(QStringList{QStringLiteral("--headless")} + extraArguments);
}

void ModuleProcess::command(const QString& line) {
    m_process.write(line.toUtf8() + '\n');
    m_process.waitForBytesWritten(kWaitMs);
}

bool ModuleProcess::nextLine(QString& line, int ms) {
    const QDeadlineTimer deadline(ms);
    for (;;) {
        const qsizetype end = m_partial.indexOf('\n');
        if (end >= 0) {
            line = QString::fromUtf8(m_partial.left(end));
            m_partial.remove(0, end + 1);
            m_seen.append(line);
            return true;
        }
        if (deadline.hasExpired())
            return false;
        if (m_process.bytesAvailable() == 0 &&
            !m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return false;
        m_partial += m_process.readAll();
    }
}

QString ModuleProcess::waitForLine(const QString& prefix, const QStringList& parts, int ms) {
    const QDeadlineTimer deadline(ms);
    QString line;
    while (nextLine(line, static_cast<int>(deadline.remainingTime()))) {
        if (!line.startsWith(prefix))
            continue;
        if (std::all_of(parts.begin(), parts.end(),
                        [&line](const QString& part) { return line.contains(part); }))
            return line;
    }
    return {};
}

} // namespace veld::test
