#include "support/ModuleProcess.h"
#include "support/PtyPair.h"
#include "support/TestMain.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using namespace Qt::StringLiterals;
using veld::test::ModuleProcess;

// The device link of --link: what it may replace, and that it goes away
// whichever signal ends the module, which then ends by that signal.
class ModuleLinkTest : public QObject {
    Q_OBJECT

private slots:
    void link_data() {
        QTest::addColumn<QString>("existing"); // "", "file", or the target of a link
        QTest::addColumn<int>("signalNumber"); // 0: refused, exit status 1
        QTest::addColumn<bool>("headless");
        QTest::newRow("nothing, SIGTERM") << QString() << SIGTERM << true;
        QTest::newRow("nothing, SIGINT") << QString() << SIGINT << true;
        QTest::newRow("nothing, SIGHUP") << QString() << SIGHUP << true;
        QTest::newRow("nothing, window, SIGTERM") << QString() << SIGTERM << false;
        QTest::newRow("nothing, window, SIGHUP") << QString() << SIGHUP << false;
        QTest::newRow("ordinary file") << u"file"_s << 0 << true;
        QTest::newRow("link to a device, not a pty") << u"/dev/null"_s << 0 << true;
        QTest::newRow("link to the pty multiplexer") << u"/dev/pts/ptmx"_s << 0 << true;
        QTest::newRow("dangling link to a pty") << u"/dev/pts/99999"_s << SIGTERM << true;
        QTest::newRow("link to a live pty") << u"pty"_s << SIGTERM << true;
    }
    void link() {
        QFETCH(QString, existing);
        QFETCH(int, signalNumber);
        QFETCH(bool, headless);
        QTemporaryDir dir;
        const veld::test::PtyPair pty;
        const QString link = dir.filePath(u"veld-com1"_s);
        const QString target = existing == u"pty"_s ? pty.devicePath() : existing;
        QFile file(link);
        if (existing == u"file"_s)
            QVERIFY(file.open(QIODevice::WriteOnly));
        else if (!existing.isEmpty())
            QVERIFY(QFile::link(target, link));

        ModuleProcess module;
        QProcess& process = module.process();
        process.setProcessChannelMode(QProcess::SeparateChannels);
        QCOMPARE(module.start({u"--link"_s, link}, headless), signalNumber != 0);
        if (signalNumber != 0) {
            QCOMPARE(QFileInfo(link).symLinkTarget(), module.devicePath());
            QCOMPARE(::kill(static_cast<pid_t>(process.processId()), signalNumber), 0);
        }
        QVERIFY(process.state() == QProcess::NotRunning ||
                process.waitForFinished(ModuleProcess::kWaitMs));
        const QString errors = QString::fromUtf8(process.readAllStandardError());
        if (signalNumber != 0) {
            QCOMPARE(process.exitStatus(), QProcess::CrashExit);
            QCOMPARE(process.exitCode(), signalNumber);
            QVERIFY(!QFileInfo(link).isSymLink());
            // A replaced link is told in one line.
            QCOMPARE(errors.count(u"replaced"_s), existing.isEmpty() ? 0 : 1);
            QVERIFY(errors.contains(target));
        } else {
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(process.exitCode(), 1);
            QVERIFY2(errors.contains(link), qPrintable(errors));
            QCOMPARE(QFileInfo(link).isSymLink() ? QFileInfo(link).symLinkTarget() : u"file"_s,
                     existing);
        }
    }
};

VELD_QTEST_MAIN(ModuleLinkTest)

#include "ModuleLinkTest.moc"
