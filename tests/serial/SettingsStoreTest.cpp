// The settings store on a real settings file under the
// temporary XDG_CONFIG_HOME that the test main sets up.
#include "serial/SettingsStore.h"
#include "support/Panel.h"

#include <QCoreApplication>
#include <QDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using veld::serial::SettingsStore;
using veld::test::logged;

namespace {

const auto folder = [] { return qEnvironmentVariable("XDG_CONFIG_HOME") + u"/VELD"_s; };
const auto read = [](QStringView key) {
    return SettingsStore::read(SettingsStore::kProperties, key, u"none"_s);
};

TEST(serial_SettingsStore, WritesReadsAndRemovesThroughTheFile) {
    EXPECT_EQ(SettingsStore::filePath(), folder() + u"/VELD.conf"_s);
    EXPECT_EQ(read(u"CommPort"), u"none"_s);
    EXPECT_TRUE(SettingsStore::write(SettingsStore::kProperties, u"CommPort", u"3"_s));
    EXPECT_TRUE(SettingsStore::write(SettingsStore::kProperties, u"CommPort", u"2"_s));
    QFile file(SettingsStore::filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "[Properties]\nCommPort=2\n");
    file.close();
    EXPECT_TRUE(SettingsStore::remove(SettingsStore::kProperties, u"CommPort"));
    EXPECT_EQ(read(u"CommPort"), u"none"_s);
    // A hand-edited file: unquoted commas make a list for QSettings.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write("[Properties]\nSettings=4800,n,8,1\n") > 0 && file.flush());
    EXPECT_EQ(read(u"Settings"), u"4800,n,8,1"_s);
}

TEST(serial_SettingsStore, AnUnstorableValueSaysWhyAndHoldsTillStored) {
    // Where the file should be, a folder; where its folder should be, a file;
    // the first write of the process already (each test runs in a process of its own).
    for (const QString& blocker : {u"/VELD.conf"_s, QString()}) {
        const QString cause =
            blocker.isEmpty() ? u" is a file, not a folder"_s : u" is a folder, not a file"_s;
        SCOPED_TRACE(cause.toStdString());
        ASSERT_TRUE(!QFileInfo(folder()).isFile() || QFile::remove(folder()));
        ASSERT_TRUE(QDir(folder()).removeRecursively());
        QFile file(folder() + blocker);
        ASSERT_TRUE(blocker.isEmpty() ? file.open(QIODevice::WriteOnly)
                                      : QDir().mkpath(file.fileName()));
        logged().clear();
        EXPECT_FALSE(SettingsStore::write(SettingsStore::kProperties, u"Unstored", u"x"_s));
        EXPECT_EQ(SettingsStore::lastError(), file.fileName() + cause);
        EXPECT_EQ(logged(), u"veld.serial: settings not stored in "_s + SettingsStore::filePath() +
                                u": "_s + file.fileName() + cause + u'\n');
        EXPECT_EQ(read(u"Unstored"), u"x"_s);
    }
    // Stored once the file can be written, the file's value counts again.
    ASSERT_TRUE(QFile::remove(folder()));
    EXPECT_TRUE(SettingsStore::write(SettingsStore::kProperties, u"Unstored", u"y"_s));
    EXPECT_EQ(read(u"Unstored"), u"y"_s);
}

} // namespace
