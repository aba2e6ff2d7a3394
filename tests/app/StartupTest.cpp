// Start-up over stored settings, damaged ones included, with COM1, 2, 3 and 5
// on ptys: the path taken, the one frame of a start, a file left as it was.
#include "support/Panel.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace veld::test;

namespace {

QByteArray properties(const QByteArray& port, const QByteArray& settings) {
    return "[Properties]\nCommPort=" + port + "\nSettings=" + settings + '\n';
}

TEST(app_Startup, TakesThePathTheStoredSettingsLeadTo) {
    const QByteArray ok = "9600,n,8,1", big(100000, '7');
    // clang-format off
    // The cause under the box's text, for a failed start: what failed, and why.
    const struct { const char* name; QByteArray file; int opens; std::string port, speed; int baud; const char* cause = ""; } rows[] = {
        {"nothing stored", "(none)", 1, "+----", "---+-", 9600},
        {"port 3 at 19200", properties("3", "19200,n,8,1"), 3, "--+--", "----+", 19200},
        {"a port that is not there", properties("4", ok), 0, "---+-", "---+-", 0, "COM4 (/nonexistent/veld-test/COM4): no such device"},
        {"accepted but not in the menu", properties("5", "38400,n,8,1"), 5, "----+", "-----", 38400},
        {"compared exactly", properties("2", "9600,N,8,1"), 2, "-+---", "-----", 9600},
        {"empty port opens port 1", properties("", ok), 1, "+----", "---+-", 9600},
        {"refused settings", properties("2", "9600,x,8,1"), 0, "-+---", "-----", 0, "line settings \"9600,x,8,1\": line settings refused: expected"},
        {"port abc", properties("abc", ok), 0, "+----", "---+-", 0, "the stored port \"abc\" is not a port number"},
        {"port 0", properties("0", ok), 0, "+----", "---+-", 0, "COM0: port number out of range: 0 is not 1 to 5"},
        {"settings of 100000 characters", properties("2", big), 0, "-+---", "-----", 0, "line settings \"7777777777"},
        {"garbage", "not settings\n=== = =\n[[[\n]]\n\\\\\n\x01\xff;;\n\"unterminated", 1, "+----", "---+-", 9600},
        {"another group", "[Other]\nCommPort=3\nSettings=19200,n,8,1\n", 1, "+----", "---+-", 9600},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Panel p;
        for (const int n : {1, 2, 3, 5})
            p.pty(n);
        QFile f(Panel::settings().fileName());
        ASSERT_TRUE(row.file == "(none)" ||
                    (QDir().mkpath(QFileInfo(f).absolutePath()) && f.open(QIODevice::WriteOnly) &&
                     f.write(row.file) == row.file.size() && f.flush()));
        bool enabledWhileBoxShown = false;
        p.whileBoxShown = [&] { enabledWhileBoxShown = p.ui().cmdSendAscii->isEnabled(); };
        const veld::app::frmVELD& w = p.start();
        const Ui::frmVELD& u = p.ui();
        ASSERT_EQ(p.boxes.size(), row.opens ? 0 : 1);
        const QString kFailure = u"COM PORT ERRORCOM1 Not Available, Please Select Another Port"_s;
        if (!row.opens) {
            EXPECT_EQ(p.boxes[0].title + p.boxes[0].text, kFailure);
            EXPECT_TRUE(enabledWhileBoxShown);
            EXPECT_TRUE(p.boxes[0].detail.startsWith(QString::fromUtf8(row.cause)))
                << p.boxes[0].detail.toStdString();
        }
        for (const int n : {1, 2, 3, 5})
            EXPECT_EQ(p.pty(n).receive(n == row.opens ? 3 : 0),
                      n == row.opens ? hex("FE 15 FF") : "")
                << n;
        EXPECT_EQ(row.opens ? p.pty(row.opens).baudRate() : 0, row.baud);
        EXPECT_EQ(p.portControls(), row.opens ? "+++++++++" : "---------");
        EXPECT_EQ(p.portMarks(), row.port);
        EXPECT_EQ(p.speedMarks(), row.speed);
        EXPECT_EQ(marks<QAbstractButton>({u.optCountDis, u.optCountEn, u.optCEL, u.optOFFDP}),
                  row.opens ? "+-++" : "--++");
        EXPECT_EQ(u.lblUnit->text() + u.lblTemp->text() + u'|' + u.lblCounter->text(),
                  u"\u00B0 C|0000"_s);
        EXPECT_EQ(std::tuple(u.cmdStartStop->isEnabled(), u.cmdReset->isEnabled(),
                             w.decimalPointChoice(), w.temperaturePollingFlag()),
                  std::tuple(false, false, 0, 0));
        f.close();
        EXPECT_EQ(f.open(QIODevice::ReadOnly) ? f.readAll() : "(none)", row.file);
    }
}

} // namespace
