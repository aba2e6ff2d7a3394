#include "serial/SettingsStore.h"
#include "serial/PortMap.h"
#include "support/TestMain.h"

#include <QFile>
#include <QSettings>
#include <QtTest>

using namespace Qt::StringLiterals;
using veld::serial::deviceForPort;
using veld::serial::SettingsStore;

// The settings store and the port map on a real settings file under the
// temporary XDG_CONFIG_HOME that the test main sets up.
class SettingsStoreTest : public QObject {
    Q_OBJECT

    static QString filePath() {
        return qEnvironmentVariable("XDG_CONFIG_HOME") + u"/VELD/VELD.conf"_s;
    }

private slots:
    void init() {
        QFile::remove(filePath());
        for (int n = 1; n <= 5; ++n)
            qunsetenv(QStringLiteral("VELD_COM%1").arg(n).toLatin1().constData());
    }

    void readGivesTheDefaultWhenNothingIsStored() {
        QCOMPARE(SettingsStore::read(SettingsStore::kProperties, u"CommPort", u"1"_s), u"1"_s);
        QCOMPARE(SettingsStore::read(SettingsStore::kProperties, u"Settings", u"9600,n,8,1"_s),
                 u"9600,n,8,1"_s);
    }

    void writeThenReadRoundTripsThroughTheFile() {
        SettingsStore::write(SettingsStore::kProperties, u"CommPort", u"3"_s);
        SettingsStore::write(SettingsStore::kProperties, u"Settings", u"19200,n,8,1"_s);
        QVERIFY(QFile::exists(filePath()));
        QCOMPARE(SettingsStore::read(SettingsStore::kProperties, u"CommPort", u"1"_s), u"3"_s);
        QCOMPARE(SettingsStore::read(SettingsStore::kProperties, u"Settings", u"x"_s),
                 u"19200,n,8,1"_s);
        // A write replaces the text.
        SettingsStore::write(SettingsStore::kProperties, u"CommPort", u"2"_s);
        QCOMPARE(SettingsStore::read(SettingsStore::kProperties, u"CommPort", u"1"_s), u"2"_s);

        QFile file(filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QVERIFY(content.contains("[Properties]"));
        QVERIFY(content.contains("CommPort=2"));
    }

    void readsAHandEditedFile() {
        QDir().mkpath(qEnvironmentVariable("XDG_CONFIG_HOME") + u"/VELD"_s);
        QFile file(filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Properties]\nCommPort=4\nSettings=4800,n,8,1\n");
        file.close();
        QCOMPARE(SettingsStore::read(SettingsStore::kProperties, u"CommPort", u"1"_s), u"4"_s);
        // Unquoted commas make a list for QSettings; it is read back as the text.
        QCOMPARE(SettingsStore::read(SettingsStore::kProperties, u"Settings", u"x"_s),
                 u"4800,n,8,1"_s);
    }

    void portMapDefaultsToTtyS() {
        QCOMPARE(deviceForPort(1), std::optional<QString>(u"/dev/ttyS0"_s));
        QCOMPARE(deviceForPort(5), std::optional<QString>(u"/dev/ttyS4"_s));
    }

    void portMapRefusesNumbersOutsideOneToFive() {
        QVERIFY(!deviceForPort(0));
        QVERIFY(!deviceForPort(6));
        QVERIFY(!deviceForPort(-1));
    }

    void settingsKeyOverridesTheDefault() {
        SettingsStore::write(SettingsStore::kPorts, u"COM2", u"/dev/serial/by-id/usb-x"_s);
        QCOMPARE(deviceForPort(2), std::optional<QString>(u"/dev/serial/by-id/usb-x"_s));
        QCOMPARE(deviceForPort(1), std::optional<QString>(u"/dev/ttyS0"_s));
    }

    void environmentOverridesBoth() {
        SettingsStore::write(SettingsStore::kPorts, u"COM2", u"/dev/ttyUSB0"_s);
        qputenv("VELD_COM2", "/dev/pts/77");
        QCOMPARE(deviceForPort(2), std::optional<QString>(u"/dev/pts/77"_s));
        qputenv("VELD_COM3", "/dev/ttyACM0");
        QCOMPARE(deviceForPort(3), std::optional<QString>(u"/dev/ttyACM0"_s));
    }
};

VELD_QTEST_MAIN(SettingsStoreTest)
#include "SettingsStoreTest.moc"
