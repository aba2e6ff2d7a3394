// The window's look, pixel for pixel: the window in a fixed state rendered on
// the offscreen platform and compared with a picture kept in the source tree.
// On a mismatch the actual picture and a difference picture are written to
// the build folder. scripts/update-golden.sh takes a new picture after an
// intended change.

#include "support/OpenPanel.h"
#include "support/TestMain.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
// Anti-aliasing may differ by a few levels between runs; a moved control or a
// changed caption changes hundreds of pixels.
constexpr int kChannelTolerance = 24;
constexpr int kDifferingPixelsAllowed = 12;

bool differs(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) > kChannelTolerance ||
           std::abs(qGreen(a) - qGreen(b)) > kChannelTolerance ||
           std::abs(qBlue(a) - qBlue(b)) > kChannelTolerance;
}
} // namespace

class GoldenImageTest : public QObject {
    Q_OBJECT

private slots:
    void windowLooksAsItDid() {
        // A steady text cursor: no blink phase in the picture.
        QApplication::setCursorFlashTime(0);
        veld::test::OpenPanel p;
        p.h.now = QTime(9, 5, 7);
        p.receive("FE0419FF");     // 25 degrees
        p.receive("FE01050709FF"); // time stamp 9:07:05
        p.receive("FE0500FF");     // one counter event
        p.receive("FE0320FF");     // button 2
        p.c().option(u"optDP3"_s)->click();
        p.c().textBox(u"txtCDHour"_s)->setText(u"1"_s);
        p.c().textBox(u"txtCDMin"_s)->setText(u"30"_s);
        p.c().textBox(u"txtCDSec"_s)->setText(u"0"_s);
        p.c().textBox(u"txtDigit"_s)->setText(u"12.34"_s);

        auto& window = p.h.window();
        window.centreOnScreen();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage actual = window.grab().toImage().convertToFormat(QImage::Format_RGB32);

        const QString golden = QStringLiteral(VELD_GOLDEN_IMAGE);
        if (qEnvironmentVariableIsSet("VELD_UPDATE_GOLDEN")) {
            QVERIFY(actual.save(golden));
            qInfo("wrote %s", qPrintable(golden));
            return;
        }
        const QImage expected = QImage(golden).convertToFormat(QImage::Format_RGB32);
        QVERIFY2(!expected.isNull(), qPrintable(u"no picture at "_s + golden));

        int differing = 0;
        QImage diff(actual.size(), QImage::Format_RGB32);
        diff.fill(Qt::white);
        if (actual.size() == expected.size()) {
            for (int y = 0; y < actual.height(); ++y)
                for (int x = 0; x < actual.width(); ++x)
                    if (differs(actual.pixel(x, y), expected.pixel(x, y))) {
                        ++differing;
                        diff.setPixel(x, y, qRgb(255, 0, 0));
                    }
        }
        if (actual.size() == expected.size() && differing <= kDifferingPixelsAllowed)
            return;
        const QDir out(QStringLiteral(VELD_GOLDEN_OUTPUT_DIR));
        out.mkpath(u"."_s);
        const QString actualPath = out.filePath(u"frmVELD-actual.png"_s);
        const QString diffPath = out.filePath(u"frmVELD-diff.png"_s);
        actual.save(actualPath);
        diff.save(diffPath);
        QFAIL(qPrintable(u"the window differs from %1: %2 pixels, size %3x%4 against %5x%6; "
                         "actual picture %7, differences in red %8"_s.arg(golden)
                             .arg(differing)
                             .arg(actual.width())
                             .arg(actual.height())
                             .arg(expected.width())
                             .arg(expected.height())
                             .arg(actualPath, diffPath)));
    }
};

VELD_QTEST_MAIN(GoldenImageTest)
#include "GoldenImageTest.moc"
