// The module's window on the offscreen platform; the test is the panel on the
// module's pseudo-terminal.
#include "module/ModuleWindow.h"
#include "common/SideBySide.h"
#include "module/PtyEndpoint.h"
#include "module/SevenSegmentDisplay.h"
#include "module/VirtualModule.h"
#include "support/Golden.h"

#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

int litPixels(veld::module::ModuleWindow& window) {
    const QImage image = window.display().grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
    return static_cast<int>(std::count_if(pixels, pixels + image.width() * image.height(),
                                          [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 100; }));
}

// Bytes the panel sends and the window's inputs (a number: the panel's line
// speed; #N: N temperature requests; a button's name, clicked, or after '^' pressed by Return);
// then where to look and what to see there.
// clang-format off
const char* const kSteps[][3] = {
    // A text frame that never ends: the temperature request inside its nine
    // bytes is answered once the line stays quiet.
    {"FE 03 41 FE 04 FF", "log", "skip 3 byte(s) formed no frame\nrx FE 04 FF  temperature request\ntx FE 04 19 FF  temperature 25 C"},
    {"", "display", "       --- dark"}, {"FE 03 31 31 31 31 31 31 FF FE FA FF FE F6 FF", "display", "111111 r-2 lit"}, {"", "lastFrame", "FE F6 FF  output 2 on"},
    {"FE 03 38 38 38 38 38 38 FF FE FB FF FE F9 FF", "display", "888888 -12 lit"}, {"FE 13 03 FF", "display", "888.888 -12 lit"},
    {"", "lastFrame", "FE 13 03 FF  decimal point 3"}, {"FE FC FF", "display", "888.888 -12 dark"}, {"", "display", "888.888 -12 lit"},
    {"temperature=-12 FE 04 FF", "panel", "FE 06 0C FF"},
    {"FE 01 05 02 00 FF FE 90 05 FF FE 05 FF FE 03 48 45 4C 4C 4F 20 FF", "countdown", "0:02:05 of 0:02:05, stopped"},
    {"button1 button2 button3 resetCounter ^counterEvent", "panel", "FE 03 10 FF FE 03 20 FF FE 03 08 FF FE 32 00 FF FE 05 00 FF"},
    {"", "counter", "enabled, count 1"}, {"", "function", "now F6 display mode, at start-up F5 counter"}, {"powerCycle", "display", "     0 --- lit"},
    {"#300", "logLines", "500"}, {"19200", "line", "module 9600 bit/s, line 19200 bit/s: mismatch, noise only"},
};
// clang-format on

TEST(module_Window, ShowsWhatThePanelSendsTakesItsInputsAndTellsOfLineFaults) {
    veld::module::PtyEndpoint line;
    QString error;
    ASSERT_TRUE(line.open(error)) << error.toStdString();
    veld::module::VirtualModule module(line);
    veld::module::ModuleWindow window(module);
    window.show();
    QSerialPort panel(line.devicePath());
    ASSERT_TRUE(panel.open(QIODevice::ReadWrite) && panel.setBaudRate(9600));
    QByteArray heard;
    // The display: its digits with '.' after a lit point, the lamps of buzzer
    // and outputs each by its caption's last character when on (r, 1, 2), lit or dark. The panel:
    // the last bytes it heard.
    const auto look = [&](const QString& where, const QString& expected) {
        if (where == u"panel")
            return QString::fromLatin1(
                (heard += panel.readAll()).right((expected.size() + 1) / 3).toHex(' ').toUpper());
        if (where.startsWith(u"log")) {
            const auto* log = window.findChild<QPlainTextEdit*>(u"log"_s);
            return where == u"log" ? log->toPlainText() : QString::number(log->blockCount());
        }
        if (where != u"display")
            return window.findChild<QLabel*>(where)->text();
        QString shown;
        for (std::size_t i = 0; i < window.display().characters().size(); ++i)
            shown += QLatin1Char(window.display().characters()[i]) +
                     (window.display().points() >> i & 1 ? u"."_s : QString());
        shown += u' ';
        for (const QString& name : {u"buzzer"_s, u"output1"_s, u"output2"_s}) {
            const QLabel* lamp = window.findChild<QLabel*>(name);
            shown += lamp->property("on").toBool() ? lamp->text().back() : u'-';
        }
        return shown + (litPixels(window) > 0 ? u" lit"_s : u" dark"_s);
    };
    for (const auto& [inputs, where, expected] : kSteps) {
        SCOPED_TRACE(expected);
        for (const QString& input : QString::fromUtf8(inputs).split(u' ', Qt::SkipEmptyParts)) {
            if (input.size() == 2)
                EXPECT_EQ(panel.write(QByteArray::fromHex(input.toLatin1())), 1);
            else if (input.startsWith(u"temperature="))
                window.findChild<QSpinBox*>(u"temperature"_s)->setValue(input.mid(12).toInt());
            else if (input[0] == u'#')
                panel.write(QByteArray::fromHex("FE04FF").repeated(input.mid(1).toInt()));
            else if (input[0].isDigit())
                EXPECT_TRUE(panel.setBaudRate(input.toInt()));
            else if (input[0] == u'^')
                QTest::keyClick(window.findChild<QPushButton*>(input.mid(1)), Qt::Key_Return);
            else
                window.findChild<QPushButton*>(input)->click();
        }
        const QString want = QString::fromUtf8(expected);
        const auto seen = [&] { return look(QString::fromUtf8(where), want); };
        EXPECT_TRUE(QTest::qWaitFor([&] { return seen() == want; })) << seen().toStdString();
    }
}

// Screens (their free area) and the module's window at 1x: beside the panel,
// neither over the other, where both fit across, else in the top right corner.
TEST(module_Window, OpensBesideThePanelBothOnTheScreen) {
    using veld::common::kFrameGuess;
    // clang-format off
    const std::pair<QRect, bool> screens[] = {{{0, 0, 1920, 1040}, true}, {{1920, 0, 2560, 1440}, true},
        {{0, 0, 1280, 1024}, true}, {{0, 28, 1280, 996}, true}, {{0, 0, 1024, 768}, false}};
    // clang-format on
    veld::module::PtyEndpoint line; // not opened: only the window's size counts
    veld::module::VirtualModule module(line);
    veld::module::ModuleWindow window(module);
    // The panel places itself by the module's size as it is given there.
    EXPECT_EQ(window.sizeHint(), veld::common::kModuleWindowSize);
    for (const auto& [available, beside] : screens) {
        SCOPED_TRACE(available.width());
        const QRect at = veld::module::besidePanel(window.sizeHint(), available) + kFrameGuess;
        EXPECT_TRUE(available.contains(at)) << at.x() << "," << at.y();
        const auto pair = veld::common::sideBySide(veld::common::kPanelSize.grownBy(kFrameGuess),
                                                   at.size(), available);
        ASSERT_EQ(pair.has_value(), beside);
        EXPECT_TRUE(pair ? pair->module == at && available.contains(pair->panel) &&
                               !pair->panel.intersects(at)
                         : at.topRight() == available.topRight());
    }
}

// Every character of the display's set and one outside it, points lit and
// dark, against a committed picture: segments, shapes, points and colours.
TEST(module_Window, TheDisplayDrawsEveryCharacterAsBefore) {
    const std::string characters = "0123456789AbCcdEFHhIJLnoPrSUuy- x";
    QImage sheet(420, 120 * 6, QImage::Format_RGB32);
    QPainter painter(&sheet);
    for (std::size_t row = 0; row * 6 < characters.size(); ++row) {
        veld::module::SevenSegmentDisplay display;
        display.resize(420, 120);
        display.setContent(characters.substr(row * 6, 6), row % 2 ? 0x2A : 0x15);
        display.render(&painter, QPoint(0, static_cast<int>(row) * 120));
    }
    painter.end();
    veld::test::expectLooksAsBefore(sheet, QStringLiteral(VELD_GOLDEN_DIR "/module-display.png"));
}

} // namespace
