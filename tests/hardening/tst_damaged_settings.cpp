// Start-up over settings files that are damaged or hold values the panel never
// writes itself. Each case writes the file as raw bytes, starts the window with
// COM1 to COM5 on real pseudo-terminals, and checks which start-up path was
// taken, that nothing crashed and that the file is byte for byte unchanged.

#include "support/PanelHarness.h"
#include "support/PtyPair.h"
#include "support/TestMain.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QtTest>
#include <array>
#include <memory>

using namespace veld;
using namespace Qt::StringLiterals;

namespace {

enum class Outcome {
    FailureBox, // "COM1 Not Available..." and the port-dependent controls disabled
    OpensPort,  // the expected port opens, no box
};

const QByteArray kCounterDisable = QByteArray::fromHex("fe15ff");

QByteArray properties(const QByteArray& commPort, const QByteArray& settings) {
    return "[Properties]\nCommPort=" + commPort + "\nSettings=" + settings + '\n';
}

QByteArray binaryNoise() {
    QRandomGenerator rng(0x5eed);
    QByteArray bytes(4096, '\0');
    for (char& b : bytes)
        b = static_cast<char>(rng.bounded(256));
    // Keep the noise from spelling the group by chance.
    bytes.replace("[Properties]", "[Propertiez]");
    return bytes;
}

void writeRaw(const QByteArray& bytes, int caseIndex) {
    const QString path = test::PanelHarness::settingsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(f.errorString()));
    QCOMPARE(f.write(bytes), bytes.size());
    f.close();
    // A distinct time stamp per case, so that a cached copy of an earlier file
    // of the same size can never be taken for this one.
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600 + caseIndex),
                          QFileDevice::FileModificationTime));
}

QByteArray readRaw() {
    QFile f(test::PanelHarness::settingsFilePath());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool isChecked(const test::PanelHarness& h, const QString& item) {
    return h.controls().menuItem(item)->isChecked();
}

} // namespace

Q_DECLARE_METATYPE(Outcome)

class DamagedSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void startUp_data();
    void startUp();
};

void DamagedSettingsTest::startUp_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<int>("openPort");         // OpensPort: which COM port
    QTest::addColumn<QString>("checkedSpeed"); // empty: no speed item checked

    const QByteArray ok = "9600,n,8,1";
    const QByteArray longValue(100000, '7');

    QTest::newRow("garbage text")
        << QByteArray("this is not a settings file\n=== = =\n[[[\n]]\n\\\\\n;;\n\"unterminated")
        << Outcome::OpensPort << 1 << u"mnu96"_s;
    QTest::newRow("binary bytes") << binaryNoise() << Outcome::OpensPort << 1 << u"mnu96"_s;
    QTest::newRow("missing group") << QByteArray("[Other]\nCommPort=3\nSettings=19200,n,8,1\n")
                                   << Outcome::OpensPort << 1 << u"mnu96"_s;
    QTest::newRow("group without keys")
        << QByteArray("[Properties]\n") << Outcome::OpensPort << 1 << u"mnu96"_s;
    QTest::newRow("CommPort empty") << properties("", ok) << Outcome::OpensPort << 1 << u"mnu96"_s;
    QTest::newRow("CommPort abc") << properties("abc", ok) << Outcome::FailureBox << 0
                                  << u"mnu96"_s;
    QTest::newRow("CommPort 0") << properties("0", ok) << Outcome::FailureBox << 0 << u"mnu96"_s;
    QTest::newRow("CommPort 6") << properties("6", ok) << Outcome::FailureBox << 0 << u"mnu96"_s;
    QTest::newRow("CommPort -1") << properties("-1", ok) << Outcome::FailureBox << 0 << u"mnu96"_s;
    QTest::newRow("CommPort 20 digits")
        << properties("99999999999999999999", ok) << Outcome::FailureBox << 0 << u"mnu96"_s;
    QTest::newRow("CommPort 100000 characters")
        << properties(longValue, ok) << Outcome::FailureBox << 0 << u"mnu96"_s;
    QTest::newRow("Settings empty") << properties("2", "") << Outcome::FailureBox << 0 << QString();
    QTest::newRow("Settings 9600")
        << properties("2", "9600") << Outcome::FailureBox << 0 << QString();
    QTest::newRow("Settings 9600,n,8")
        << properties("2", "9600,n,8") << Outcome::FailureBox << 0 << QString();
    QTest::newRow("Settings abc,n,8,1")
        << properties("2", "abc,n,8,1") << Outcome::FailureBox << 0 << QString();
    QTest::newRow("Settings quoted 9600,n,8")
        << properties("2", "\"9600,n,8\"") << Outcome::FailureBox << 0 << QString();
    QTest::newRow("Settings 100000 characters")
        << properties("2", longValue) << Outcome::FailureBox << 0 << QString();
    QTest::newRow("Settings accepted, upper-case parity")
        << properties("4", "9600,N,8,1") << Outcome::OpensPort << 4 << QString();
    QTest::newRow("Settings accepted, 38400")
        << properties("5", "38400,n,8,1") << Outcome::OpensPort << 5 << QString();
    QTest::newRow("valid 3 at 19200")
        << properties("3", "19200,n,8,1") << Outcome::OpensPort << 3 << u"mnu192"_s;
}

void DamagedSettingsTest::startUp() {
    QFETCH(QByteArray, file);
    QFETCH(Outcome, outcome);
    QFETCH(int, openPort);
    QFETCH(QString, checkedSpeed);

    test::PanelHarness h;
    std::array<std::unique_ptr<test::PtyPair>, 5> ptys;
    for (int n = 1; n <= 5; ++n) {
        ptys[n - 1] = std::make_unique<test::PtyPair>();
        h.mapPort(n, ptys[n - 1]->slavePath());
    }
    static int caseIndex = 0;
    writeRaw(file, ++caseIndex);
    const QByteArray before = readRaw();
    QCOMPARE(before, file);

    app::frmVELD& w = h.start();

    const QStringList dependentButtons = {u"cmdSendAscii"_s, u"cmdSetDP"_s, u"cmdSetRTC"_s,
                                          u"cmdTemp"_s,      u"cmdCDSet"_s, u"cmdTimeStamp"_s};
    const QStringList dependentMenus = {u"mnuBaud"_s, u"mnuMbaud"_s, u"mnuStart"_s};

    if (outcome == Outcome::FailureBox) {
        QCOMPARE(h.boxes.size(), 1);
        QCOMPARE(h.boxes.first().title, u"COM PORT ERROR"_s);
        QCOMPARE(h.boxes.first().text, u"COM1 Not Available, Please Select Another Port"_s);
        for (const QString& b : dependentButtons)
            QVERIFY2(!h.controls().button(b)->isEnabled(), qPrintable(b));
        for (const QString& m : dependentMenus)
            QVERIFY2(!h.controls().menu(m)->isEnabled(), qPrintable(m));
        QVERIFY(!h.controls().option(u"optCountDis"_s)->isChecked());
        QVERIFY(!h.controls().option(u"optCountEn"_s)->isChecked());
        // A failed start sends nothing on any line.
        for (const auto& p : ptys)
            QCOMPARE(p->receiveFor(20), QByteArray());
    } else {
        QVERIFY2(h.boxes.isEmpty(), qPrintable(h.boxes.value(0).text));
        QVERIFY(w.serialControl().portOpen());
        QCOMPARE(w.serialControl().openDevice(), ptys[openPort - 1]->devicePath());
        for (const QString& b : dependentButtons)
            QVERIFY2(h.controls().button(b)->isEnabled(), qPrintable(b));
        for (const QString& m : dependentMenus)
            QVERIFY2(h.controls().menu(m)->isEnabled(), qPrintable(m));
        QVERIFY(h.controls().option(u"optCountDis"_s)->isChecked());
        // The one frame of a successful start, on the opened line only.
        QCOMPARE(ptys[openPort - 1]->receive(3), kCounterDisable);
        for (int n = 1; n <= 5; ++n)
            if (n != openPort)
                QCOMPARE(ptys[n - 1]->receiveFor(0), QByteArray());
    }

    for (const QString& speed : {u"mnu12"_s, u"mnu24"_s, u"mnu48"_s, u"mnu96"_s, u"mnu192"_s})
        QCOMPARE(isChecked(h, speed), speed == checkedSpeed);
    if (outcome == Outcome::OpensPort && openPort != 1)
        QVERIFY(isChecked(h, u"mnuCOM%1"_s.arg(openPort)));

    // The rest of start-up ran in either branch.
    QVERIFY(h.controls().option(u"optCEL"_s)->isChecked());
    QVERIFY(h.controls().option(u"optOFFDP"_s)->isChecked());
    QCOMPARE(w.temperaturePollingFlag(), std::uint8_t{0});

    // The poll timers keep working on whatever start-up left.
    w.Timer1_Timer();
    w.Timer2_Timer();
    QCOMPARE(h.controls().label(u"lblTIME"_s)->text(), u"12:00:00"_s);

    // Start-up stores nothing: the file is untouched, also once every settings
    // object has gone away with the window.
    QCOMPARE(readRaw(), before);
    QCoreApplication::processEvents();
    h.start(); // a second start over the same file takes the same path
    QCOMPARE(h.boxes.size(), outcome == Outcome::FailureBox ? 2 : 0);
    QCOMPARE(readRaw(), before);
}

VELD_QTEST_MAIN(DamagedSettingsTest)
#include "tst_damaged_settings.moc"
