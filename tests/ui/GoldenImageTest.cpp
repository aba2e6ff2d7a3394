// The window's look against a committed picture, a few pixels of tolerance;
// scripts/update-golden.sh takes a new one after a change that was meant.
#include "support/Panel.h"

#include <QApplication>
#include <QDir>
#include <QtTest>
#include <gtest/gtest.h>

using namespace veld::test;

namespace {

// Anti-aliasing may differ by a few levels; a moved control or a new caption
// changes dozens of pixels or more.
bool differs(QRgb a, QRgb b) {
    constexpr int kTolerance = 24;
    return std::abs(qRed(a) - qRed(b)) > kTolerance ||
           std::abs(qGreen(a) - qGreen(b)) > kTolerance ||
           std::abs(qBlue(a) - qBlue(b)) > kTolerance;
}

TEST(GoldenImage, TheWindowLooksAsItDid) {
    QApplication::setCursorFlashTime(0); // a steady text cursor
    Panel p;
    p.open();
    p.now = QTime(9, 5, 7);
    for (const char* message : {"FE 04 19 FF", "FE 01 05 07 09 FF", "FE 05 00 FF", "FE 03 20 FF"})
        p.receive(message);
    p.ui().optDP3->click();
    p.ui().txtCDHour->setText(u"1"_s);
    p.ui().txtCDMin->setText(u"30"_s);
    p.ui().txtCDSec->setText(u"0"_s);
    p.ui().txtDigit->setText(u"12.34"_s);
    p.w().centreOnScreen();
    ASSERT_TRUE(p.show());
    const QImage actual = p.w().grab().toImage().convertToFormat(QImage::Format_RGB32);

    const QString golden = QStringLiteral(VELD_GOLDEN_IMAGE);
    if (qEnvironmentVariableIsSet("VELD_UPDATE_GOLDEN")) {
        ASSERT_TRUE(actual.save(golden));
        return;
    }
    const QImage expected = QImage(golden).convertToFormat(QImage::Format_RGB32);
    const bool sameSize = actual.size() == expected.size();
    int differing = 0;
    for (int y = 0; sameSize && y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            differing += differs(actual.pixel(x, y), expected.pixel(x, y)) ? 1 : 0;
    if (sameSize && differing <= 12)
        return;
    const QString saved = QStringLiteral(VELD_GOLDEN_OUTPUT_DIR "/frmVELD-actual.png");
    EXPECT_TRUE(QDir().mkpath(QStringLiteral(VELD_GOLDEN_OUTPUT_DIR)));
    EXPECT_TRUE(actual.save(saved));
    ADD_FAILURE() << "the window differs from " << golden.toStdString()
                  << (sameSize ? " in " + std::to_string(differing) + " pixels" : " in size")
                  << "; it looks as in " << saved.toStdString();
}

} // namespace
