// The veld-module program: its --link, its output to a reader that does not
// read or has gone, its input, and the real panel window against it.
#include "support/Panel.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using veld::test::Panel;

namespace {

// veld-module as a child: its first output line is its device path, each later
// line reports one event, and commands go in on standard input.
struct ModuleProcess {
    static constexpr int kWaitMs = 5000;
    QProcess process;
    QString devicePath;
    QStringList seen; // every output line taken

    ~ModuleProcess() { // one still running must end at "quit"
        EXPECT_TRUE(process.state() == QProcess::NotRunning ||
                    (process.write("quit\n") > 0 && process.waitForFinished(kWaitMs)));
        process.kill();
        process.waitForFinished(kWaitMs);
    }
    // With its window unless `headless`. With a `reader` its output goes to
    // the reader and this returns once it runs, else once it names its device.
    bool start(const QStringList& args = {}, bool headless = true, QProcess* reader = nullptr) {
        if (reader)
            process.setStandardOutputProcess(reader);
        process.start(QStringLiteral(VELD_MODULE_PROGRAM),
                      (headless ? QStringList{u"--headless"_s} : QStringList{}) + args);
        return process.waitForStarted(kWaitMs) &&
               (reader || !(devicePath = waitForLine({})).isEmpty());
    }
    void command(const QByteArray& line) {
        ASSERT_GT(process.write(line + '\n'), 0);
        process.waitForBytesWritten(kWaitMs);
    }
    // Output lines up to and including the first that contains `part`; that
    // line, or an empty string when none came in time.
    QString waitForLine(const QString& part) {
        const QDeadlineTimer deadline(kWaitMs);
        for (;;) {
            while (!process.canReadLine())
                if (!process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                    return {};
            seen << QString::fromUtf8(process.readLine()).chopped(1);
            if (seen.last().contains(part))
                return seen.last();
        }
    }
};

// Ended by that signal, or refused at the start (0) with exit status 1.
void expectEndedBy(QProcess& process, int signalNumber) {
    ASSERT_TRUE(process.state() == QProcess::NotRunning ||
                process.waitForFinished(ModuleProcess::kWaitMs));
    EXPECT_EQ(process.exitStatus(), signalNumber ? QProcess::CrashExit : QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), signalNumber ? signalNumber : 1);
}

TEST(module_Program, ReplacesOnlyALeftoverLinkAndRemovesItsOwnAtExit) {
    // At the path: nothing (""), a "file", a link's target, or the link of a "live"
    // module or of one "killed" by SIGKILL; the signal that ends it, 0: the link is refused.
    // clang-format off
    const struct { const char* existing; int signalNumber; bool headless; } links[] = {
        {"", SIGTERM, true}, {"", SIGINT, true}, {"", SIGHUP, true}, {"", SIGTERM, false}, {"", SIGHUP, false},
        {"file", 0, true}, {"/dev/null", 0, true}, {"/dev/pts/ptmx", 0, true}, {"/dev/pts/99999", SIGTERM, true},
        {"live", 0, true}, {"killed", SIGTERM, true}};
    // clang-format on
    for (const auto& [existing, signalNumber, headless] : links) {
        SCOPED_TRACE(::testing::Message() << existing << " " << signalNumber << " " << headless);
        QTemporaryDir dir;
        const QString link = dir.filePath(u"veld-com1"_s);
        QString target = QString::fromUtf8(existing);
        ModuleProcess earlier;
        if (target == u"live"_s || target == u"killed"_s) {
            ASSERT_TRUE(earlier.start({u"--link"_s, link}));
            const bool kill = std::exchange(target, earlier.devicePath) == u"killed"_s;
            ASSERT_TRUE(!kill || (earlier.process.kill(), earlier.process.waitForFinished()));
        }
        ASSERT_TRUE(target == u"file"_s ? QFile(link).open(QIODevice::WriteOnly)
                                        : target.isEmpty() || QFileInfo(link).isSymLink() ||
                                              QFile::link(target, link));

        ModuleProcess module;
        QProcess& process = module.process;
        ASSERT_EQ(module.start({u"--link"_s, link}, headless), signalNumber != 0);
        if (signalNumber) {
            EXPECT_EQ(QFileInfo(link).symLinkTarget(), module.devicePath);
            ASSERT_EQ(::kill(static_cast<pid_t>(process.processId()), signalNumber), 0);
        }
        expectEndedBy(process, signalNumber);
        // Refused: said, naming where a link leads, with the path left as it
        // was. Replaced: said in one line.
        const QString errors = QString::fromUtf8(process.readAllStandardError());
        EXPECT_TRUE(errors.contains(signalNumber ? target : link)) << errors.toStdString();
        EXPECT_TRUE(signalNumber || target == u"file"_s ||
                    errors.contains(u" to "_s + target + u',') ||
                    errors.contains(u"held by another virtual module"_s))
            << errors.toStdString();
        EXPECT_EQ(errors.count(u": replaced "_s), signalNumber && !target.isEmpty() ? 1 : 0);
        const QFileInfo left(link);
        EXPECT_EQ(left.isSymLink() ? left.symLinkTarget()
                  : left.exists()  ? u"file"_s
                                   : QString(),
                  signalNumber ? QString() : target);
    }
}

// A reader that never reads (the full queue said once), or one that goes (head -n 1).
TEST(module_Program, EndsAtASignalUnreadOrBySigpipeWhenItsReaderGoes) {
    for (const bool readerGoes : {false, true}) {
        QTemporaryDir dir;
        const QString link = dir.filePath(u"veld-com1"_s);
        QProcess sink;
        ModuleProcess module;
        ASSERT_TRUE(module.start({u"--link"_s, link}, true, &sink));
        sink.start(readerGoes ? u"head"_s : u"sleep"_s, {readerGoes ? u"-n1"_s : u"600"_s});
        if (!readerGoes) { // a gone reader may end it before its link is seen
            ASSERT_TRUE(QTest::qWaitFor([&link] { return QFileInfo(link).isSymLink(); }));
            module.command(QByteArray("state\n").repeated(8000)); // more than pipe and queue hold
            QByteArray errors;
            EXPECT_TRUE(QTest::qWaitFor([&] {
                return (errors += module.process.readAllStandardError()).contains("not being read");
            }));
            module.process.terminate();
        }
        expectEndedBy(module.process, readerGoes ? SIGPIPE : SIGTERM);
        EXPECT_FALSE(QFileInfo(link).isSymLink());
    }
}

// As `printf ... > DEVICE` writes, the line not set up: a newline byte stays one byte.
TEST(module_Program, HearsBytesWrittenStraightToItsDeviceAsTheyAre) {
    ModuleProcess module;
    ASSERT_TRUE(module.start());
    QFile device(module.devicePath);
    ASSERT_TRUE(device.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    ASSERT_EQ(device.write(veld::test::hex("FE 10 0A 0A 0A FF")), 6);
    EXPECT_FALSE(module.waitForLine(u"rx FE 10 0A 0A 0A FF | set clock 10:10:10"_s).isEmpty());
}

TEST(module_EndToEnd, ReportsWhatItHearsSaysAndIsToldAtItsOwnSpeedOnly) {
    ModuleProcess module;
    ASSERT_TRUE(module.start());
    Panel panel;
    Panel::map(1, module.devicePath);
    panel.start();
    const Ui::frmVELD& u = panel.ui();
    module.command(QByteArray(1 << 20, 'x')); // far over the 4 KiB a command line may have
    // The panel's controls to press (nullptr: close its port), a command for
    // the module, and text in a line that the module prints next.
    // clang-format off
    const std::tuple<std::vector<QObject*>, const char*, const char*> steps[] = {
        {{}, "", "rx FE 15 FF | counter disable"}, // start-up's first frame
        {{u.optDP3, u.cmdSetDP}, "", "rx FE 13 03 FF | decimal point 3 | display \"      \" dp 3 flashing off"},
        {{u.cmdSetRTC}, "", "rx FE 10 00 00 0C FF | set clock 12:00:00"},
        {{}, "temp -12", "ok | temperature -12 C"},
        // The line outlives the panel's port.
        {{nullptr, u.mnuCOM1, u.cmdTimeStamp}, "", "rx FE F7 FF | time stamp request"},
        {{}, "state", "countdown=0:00:00 running=off counter=off count=0 temperature=-12 function=\"F1 real-time clock\" startup=\"F6 display mode\" speed=9600 line=9600"},
        {{}, "da\x01nce", "error | unknown command da\\x01nce; try help"},
        {{}, "\xe2\x82\xac\xff", "error | unknown command \xe2\x82\xac\\xff; try help"},
        // The panel still talks at 9600 bit/s: the module hears noise, and the
        // panel reads noise: one byte to each two sent, sampled at half speed.
        {{u.mnum192}, "", "rx FE 80 0B FF | module line speed 19200 bit/s"},
        {{u.cmdTimeStamp}, "", "lost FE F7 FF | line at 9600 bit/s, module at 19200 bit/s"},
        {{}, "button 2", "garbled FE 03 20 FF | button 2: line at 9600 bit/s, module at 19200 bit/s, so the panel reads 1F F8"},
        {{u.mnu192}, "state", "speed=19200 line=19200"},
        {{u.cmdTimeStamp}, "", "rx FE F7 FF | time stamp request"},
        {{}, "", "| time stamp 12:0"}, // its answer
        {{u.mnum96}, "", "rx FE 80 15 FF | module line speed 9600 bit/s"},
        {{u.optCountEn}, "", "lost FE 05 FF"},
        {{u.mnu96, u.optCountEn}, "", "rx FE 05 FF | counter enable"},
        {{}, "count", "tx FE 05 00 FF | counter event"},
    };
    // clang-format on
    for (const auto& [press, command, expect] : steps) {
        SCOPED_TRACE(expect);
        for (QObject* control : press) {
            if (control)
                Panel::press(control);
            else
                ASSERT_TRUE(panel.w().serialControl().setPortOpen(false));
        }
        if (*command)
            module.command(command);
        EXPECT_FALSE(module.waitForLine(QString::fromUtf8(expect)).isEmpty())
            << module.seen.join(u'\n').toStdString();
    }
    EXPECT_EQ(module.seen.join(u'\n').count(u"error | input line longer than 4096 bytes"_s), 1);
}

} // namespace
