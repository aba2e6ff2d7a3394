#include "support/ModuleProcess.h"
#include "support/TestMain.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using namespace Qt::StringLiterals;
using veld::test::ModuleProcess;

// veld-module --headless with standard output that nobody reads, or nobody
// any more, and with input it cannot take as a command.
class ModuleStreamsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    const QString m_link = m_dir.filePath(u"veld-com1"_s);

    // Ended by that signal, after removing its link.
    bool endedBy(QProcess& process, int signalNumber) const {
        return process.waitForFinished(ModuleProcess::kWaitMs) &&
               process.exitStatus() == QProcess::CrashExit && process.exitCode() == signalNumber &&
               !QFileInfo(m_link).isSymLink();
    }

private slots:
    void signalEndsItWhileItsOutputIsFull() {
        QProcess sink; // takes the module's output and never reads it
        ModuleProcess module;
        module.process().setProcessChannelMode(QProcess::SeparateChannels);
        QVERIFY(module.startInto(sink, {u"--link"_s, m_link}));
        sink.start(u"sleep"_s, {u"600"_s});
        QVERIFY(sink.waitForStarted());
        QTRY_VERIFY(QFileInfo(m_link).isSymLink());

        // Far more than the pipe and the module's queue hold: the note on
        // standard error comes only once the queue is full.
        module.command(u"state\n"_s.repeated(8000));
        QByteArray errors;
        QTRY_VERIFY_WITH_TIMEOUT(
            (errors += module.process().readAllStandardError()).contains("not being read"),
            ModuleProcess::kWaitMs);

        module.process().terminate();
        QVERIFY(endedBy(module.process(), SIGTERM));
        sink.kill();
        QVERIFY(sink.waitForFinished());
    }

    void endsWhenNobodyReadsAnyMore() {
        QProcess head;
        ModuleProcess module;
        QVERIFY(module.startInto(head, {u"--link"_s, m_link}));
        head.start(u"head"_s, {u"-n"_s, u"1"_s});
        QVERIFY(head.waitForFinished(ModuleProcess::kWaitMs));
        QVERIFY(head.readAll().startsWith("/dev/pts/"));

        // Idle, it notices all the same, and ends as SIGPIPE would have ended it.
        QVERIFY(endedBy(module.process(), SIGPIPE));
    }

    void overlongInputLineIsDiscarded() {
        ModuleProcess module;
        QVERIFY(module.start());
        module.command(QString(1 << 20, u'x'));
        module.command(u"state"_s);
        QVERIFY(!module.waitForLine(u"state "_s).isEmpty());
        QCOMPARE(module.transcript().count(u"error | input line longer than 4096 bytes"_s), 1);
    }
};

VELD_QTEST_MAIN(ModuleStreamsTest)

#include "ModuleStreamsTest.moc"
