#include "support/ModuleProcess.h"
#include "support/PanelHarness.h"
#include "support/TestMain.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using veld::test::ModuleProcess;
using veld::test::PanelHarness;

// The device link of --link: made at start, pointing at the device, and
// removed when the module is stopped by a signal.
class ModuleLinkTest : public QObject {
    Q_OBJECT

private slots:
    void linkFollowsTheDeviceAndGoesAwayOnTerminate() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString link = dir.filePath(u"veld-com1"_s);
        ModuleProcess module;
        QVERIFY(module.start({u"--link"_s, link}));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(QFileInfo(link).symLinkTarget(), module.devicePath());

        // The panel reaches the module through the link.
        PanelHarness harness;
        harness.mapPort(1, link);
        harness.start();
        QVERIFY(harness.boxes.isEmpty());
        QVERIFY(!module.waitForLine(u"rx FE 15 FF"_s).isEmpty());

        module.process().terminate();
        QVERIFY(module.process().waitForFinished(ModuleProcess::kWaitMs));
        QCOMPARE(module.process().exitStatus(), QProcess::NormalExit);
        QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
    }

    void linkOverAnOrdinaryFileIsRefused() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"taken"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        ModuleProcess module;
        QVERIFY(!module.start({u"--link"_s, path}));
        QVERIFY(module.process().state() == QProcess::NotRunning ||
                module.process().waitForFinished(ModuleProcess::kWaitMs));
        QCOMPARE(module.process().exitCode(), 1);
        QVERIFY(!QFileInfo(path).isSymLink());
    }
};

VELD_QTEST_MAIN(ModuleLinkTest)

#include "ModuleLinkTest.moc"
