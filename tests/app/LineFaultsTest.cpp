// Faults on the line: a line that goes away and comes back, and the signals
// that end the panel.
#include "serial/PortLock.h"
#include "support/Panel.h"

#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <gtest/gtest.h>

using namespace veld::test;

namespace {

// The controls that send a frame besides the nine that need a port, + enabled.
std::string otherSenders(const Ui::frmVELD& u) {
    return marks<QWidget>({u.cmdFlash, u.cmdOnBuz, u.cmdOffBuz, u.cmdOnOut, u.cmdOFFOut,
                           u.cmdOnOut2, u.cmdOffOut2, u.cmdStartStop, u.cmdReset, u.optCountEn,
                           u.optCountDis},
                          &QWidget::isEnabled);
}

auto lossBoxesShown() {
    return std::ranges::count_if(QApplication::topLevelWidgets(), [](QWidget* w) {
        return qobject_cast<QMessageBox*>(w) && w->isVisible();
    });
}

TEST(app_LineFaults, ALostLineIsSaidOnceStopsEverySenderAndReturns) {
    // COM1 leads to a link, as a /dev/serial/by-id name does; the adapter
    // comes back as another device behind the same name.
    QTemporaryDir dir;
    const QString link = dir.filePath(u"usb"_s);
    auto first = std::make_unique<PtyPair>();
    ASSERT_TRUE(QFile::link(first->devicePath(), link));
    Panel p;
    Panel::map(1, link);
    p.start();
    EXPECT_EQ(first->receive(3), hex("FE 15 FF"));
    first->send(hex("FE 05"));
    p.tick();
    logged().clear();
    first->closeMaster();
    for (int i = 0; i < 10; ++i) {
        p.tick();
        p.ui().cmdFlash->click();
        p.tick2();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(lossBoxesShown(), 1);
    ASSERT_TRUE(p.w().lossBox());
    EXPECT_EQ(p.w().lossBox()->windowTitle() + p.w().lossBox()->text(),
              u"COM PORT ERRORCOM1 ("_s + link +
                  u") was disconnected. It will be reopened when it returns."_s);
    EXPECT_TRUE(p.w().lossBox()->informativeText().startsWith(u"device gone"_s));
    EXPECT_TRUE(p.w().lossBox()->detailedText().isEmpty()); // no "Show Details..."
    EXPECT_TRUE(p.boxes.isEmpty());                         // nothing waits for the user
    EXPECT_EQ(p.portControls(), "---------");
    EXPECT_EQ(otherSenders(p.ui()), "-----------");
    EXPECT_EQ(p.w().serialControl().inBufferCount(), 0);
    EXPECT_EQ(p.ui().lblCounter->text(), u"0000"_s);
    EXPECT_EQ(logged().count(u"veld.serial: "_s), 1) << logged().toStdString();

    // The box goes with each outage; the next one a hang-up (root only),
    // then the device gone again.
    for (const bool hangUp : {true, false}) {
        PtyPair back;
        ASSERT_TRUE(QFile::remove(link) && QFile::link(back.devicePath(), link));
        p.tick();
        EXPECT_EQ(p.portControls(), "+++++++++");
        EXPECT_EQ(otherSenders(p.ui()), "+++++++--++"); // Start/Stop and Reset as they were
        EXPECT_TRUE(QTest::qWaitFor([] { return lossBoxesShown() == 0; }));
        EXPECT_TRUE(back.receiveFor(50).isEmpty()); // it sends nothing by itself
        p.ui().cmdFlash->click();
        EXPECT_EQ(back.receive(3), hex("FE FC FF"));
        logged().clear();
        const bool hungUp = hangUp && back.hangUp();
        if (!hungUp)
            back.closeMaster();
        p.tick();
        QCoreApplication::processEvents();
        // A hang-up leaves the device in place: it is open again at once.
        EXPECT_EQ(lossBoxesShown(), hungUp ? 0 : 1);
        EXPECT_EQ(p.w().serialControl().portOpen(), hungUp);
        EXPECT_EQ(logged().contains(u"lost: hang-up from the device"_s), hungUp);
    }
    // A port closed on purpose is not lost, and stays closed.
    PtyPair last;
    ASSERT_TRUE(QFile::remove(link) && QFile::link(last.devicePath(), link));
    p.tick();
    ASSERT_TRUE(p.w().serialControl().setPortOpen(false));
    p.tick();
    EXPECT_FALSE(p.w().serialControl().portOpen());
    EXPECT_FALSE(p.w().serialControl().isLost());
}

// With --log (the SIGTERM run), the traffic goes to the file as it happens,
// up to the close.
TEST(app_LineFaults, EachEndingSignalClosesThePortAsClosingDoes) {
    QTemporaryDir dir;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        PtyPair pty;
        const QString lock = veld::serial::portLockFile(pty.devicePath());
        QFile log(dir.filePath(u"log"_s));
        QProcess veld; // inherits the offscreen platform and the settings folder
        Panel::map(1, pty.slavePath());
        veld.start(QStringLiteral(VELD_PANEL_PROGRAM),
                   signal == SIGTERM ? QStringList{u"--log"_s, log.fileName()} : QStringList{});
        QByteArray heard, logged;
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return (heard += pty.receiveFor(0)).size() >= 3; }, 10000));
        EXPECT_EQ(heard, hex("FE 15 FF"));
        EXPECT_TRUE(QFile::exists(lock));
        pty.send(hex("FE 03 10 FF"));
        ASSERT_TRUE(signal != SIGTERM || (log.open(QIODevice::ReadOnly) && QTest::qWaitFor([&] {
                                              return (logged += log.readAll()).contains("<< ");
                                          })));
        ASSERT_EQ(::kill(static_cast<pid_t>(veld.processId()), signal), 0);
        ASSERT_TRUE(veld.waitForFinished(10000));
        EXPECT_EQ(veld.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(veld.exitCode(), signal);
        EXPECT_FALSE(QFile::exists(lock));
        EXPECT_FALSE(pty.exclusive());
        QStringList lines; // without their times
        for (const QByteArray& line : (logged + log.readAll()).split('\n'))
            lines << QString::fromUtf8(line.mid(13));
        const QString port = u"-- COM1 (%1) "_s.arg(pty.slavePath());
        EXPECT_EQ(lines.join(u'|'), signal != SIGTERM ? u""_s
                                                      : port +
                                                            u"opened at 9600,n,8,1|>> FE 15 FF  "
                                                            u"counter disable|<< FE 03 10 FF  "
                                                            u"button 1|"_s +
                                                            port + u"closed|"_s);
    }
}

} // namespace
