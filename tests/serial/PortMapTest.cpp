// The port map on a real settings file under the temporary XDG_CONFIG_HOME
// that the test main sets up.
#include "serial/PortMap.h"
#include "serial/SettingsStore.h"
#include "support/Panel.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using veld::serial::deviceForPort;
using veld::serial::SettingsStore;

namespace {

TEST(serial_PortMap, EnvironmentBeatsStoreWhichBeatsTtyS) {
    EXPECT_EQ(deviceForPort(5).value_or(QString()), u"/dev/ttyS4"_s);
    EXPECT_TRUE(SettingsStore::write(SettingsStore::kPorts, u"COM2", u"/dev/serial/by-id/x"_s));
    EXPECT_EQ(deviceForPort(2).value_or(QString()), u"/dev/serial/by-id/x"_s);
    qputenv("VELD_COM2", "/dev/pts/77");
    EXPECT_EQ(deviceForPort(2).value_or(QString()), u"/dev/pts/77"_s);
    EXPECT_EQ(std::tuple(deviceForPort(0), deviceForPort(6)),
              std::tuple(std::optional<QString>(), std::optional<QString>()));
}

TEST(serial_PortMap, ItemsLeadingToADeviceAreFoundThroughLinks) {
    QTemporaryDir dir;
    const QString device = dir.filePath(u"tty"_s), link = dir.filePath(u"by-id"_s);
    ASSERT_TRUE(QFile(device).open(QIODevice::WriteOnly) && QFile::link(device, link));
    EXPECT_TRUE(SettingsStore::write(SettingsStore::kPorts, u"COM3", link));
    qputenv("VELD_COM5", device.toLocal8Bit());
    EXPECT_EQ(veld::serial::portsLeadingTo(device), QStringList({u"COM3"_s, u"COM5"_s}));
    EXPECT_EQ(veld::serial::portsLeadingTo(u"/dev/pts/77"_s), QStringList());
}

} // namespace
