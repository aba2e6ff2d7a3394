#include "serial/SettingsStore.h"
#include "serial/PortMap.h"
#include "support/TestMain.h"

#include <QtTest>
#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using veld::serial::deviceForPort;
using veld::serial::SettingsStore;

// The settings store and the port map on a real settings file under the
// temporary XDG_CONFIG_HOME that the test main sets up.
class SettingsStoreTest : public QObject {
    Q_OBJECT
    static QString folder() { return qEnvironmentVariable("XDG_CONFIG_HOME") + u"/VELD"_s; }
    static QString read(QStringView key) {
        return SettingsStore::read(SettingsStore::kProperties, key, u"none"_s);
    }

private slots:
    void init() {
        QVERIFY(!QFileInfo(folder()).isFile() || QFile::remove(folder()));
        QVERIFY(QDir(folder()).removeRecursively());
    }

    void writesReadsAndRemovesThroughTheFile() {
        QCOMPARE(SettingsStore::filePath(), folder() + u"/VELD.conf"_s);
        QCOMPARE(read(u"CommPort"), u"none"_s);
        QVERIFY(SettingsStore::write(SettingsStore::kProperties, u"CommPort", u"3"_s));
        QVERIFY(SettingsStore::write(SettingsStore::kProperties, u"CommPort", u"2"_s));
        QFile file(SettingsStore::filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "[Properties]\nCommPort=2\n");
        file.close();
        QVERIFY(SettingsStore::remove(SettingsStore::kProperties, u"CommPort"));
        QCOMPARE(read(u"CommPort"), u"none"_s);
        // A hand-edited file: unquoted commas make a list for QSettings.
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write("[Properties]\nSettings=4800,n,8,1\n") > 0 && file.flush());
        QCOMPARE(read(u"Settings"), u"4800,n,8,1"_s);
    }

    void portMapTakesTheEnvironmentThenTheStoreThenTtyS() {
        QCOMPARE(deviceForPort(5).value_or(QString()), u"/dev/ttyS4"_s);
        QVERIFY(SettingsStore::write(SettingsStore::kPorts, u"COM2", u"/dev/serial/by-id/x"_s));
        QCOMPARE(deviceForPort(2).value_or(QString()), u"/dev/serial/by-id/x"_s);
        qputenv("VELD_COM2", "/dev/pts/77");
        QCOMPARE(deviceForPort(2).value_or(QString()), u"/dev/pts/77"_s);
        qunsetenv("VELD_COM2");
        QVERIFY(!deviceForPort(0) && !deviceForPort(6));
    }

    void unstorableValuesSayWhy_data() {
        QTest::addColumn<QString>("blocker");
        QTest::addColumn<QString>("cause");
        QTest::newRow("file is a folder") << u"/VELD.conf"_s << u" is a folder, not a file"_s;
        QTest::newRow("folder is a file") << QString() << u" is a file, not a folder"_s;
    }
    void unstorableValuesSayWhy() {
        QFETCH(QString, blocker);
        QFETCH(QString, cause);
        QFile file(folder() + blocker);
        QVERIFY(blocker.isEmpty() ? file.open(QIODevice::WriteOnly)
                                  : QDir().mkpath(file.fileName()));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"^settings not stored in .*"_s + cause));
        QVERIFY(!SettingsStore::write(SettingsStore::kProperties, u"Unstored", u"x"_s));
        QCOMPARE(SettingsStore::lastError(), file.fileName() + cause);
        QCOMPARE(read(u"Unstored"), u"x"_s); // it holds for the session
    }

    void homeComesFromTheUserDatabase() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"HOME"_s);
        environment.remove(u"XDG_CONFIG_HOME"_s);
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {u"--settings-path"_s});
        QVERIFY(child.waitForFinished());
        const passwd* user = ::getpwuid(::getuid());
        QVERIFY(user);
        QCOMPARE(QString::fromLocal8Bit(child.readAllStandardOutput()),
                 QFile::decodeName(user->pw_dir) + u"/.config/VELD/VELD.conf"_s);
    }
};

int main(int argc, char** argv) {
    if (argc == 2 && qstrcmp(argv[1], "--settings-path") == 0) {
        QTextStream(stdout) << SettingsStore::filePath();
        return 0;
    }
    return veld::test::runQtTest(argc, argv, []() -> QObject* { return new SettingsStoreTest; });
}
#include "SettingsStoreTest.moc"
