#pragma once

#include <QDir>
#include <QImage>
#include <QString>
#include <gtest/gtest.h>

namespace veld::test {

// A picture against its committed one, a few pixels of tolerance (with
// VELD_UPDATE_GOLDEN set, it replaces it); a different one is saved for a look.
inline void expectLooksAsBefore(const QImage& picture, const QString& golden) {
    const QImage actual = picture.convertToFormat(QImage::Format_RGB32);
    if (qEnvironmentVariableIsSet("VELD_UPDATE_GOLDEN")) {
        ASSERT_TRUE(actual.save(golden));
        return;
    }
    // Anti-aliasing may differ by a few levels; a moved control, a new caption
    // or a segment lit or dark changes dozens of pixels or more.
    const auto differs = [](QRgb a, QRgb b) {
        constexpr int kTolerance = 24;
        return std::abs(qRed(a) - qRed(b)) > kTolerance ||
               std::abs(qGreen(a) - qGreen(b)) > kTolerance ||
               std::abs(qBlue(a) - qBlue(b)) > kTolerance;
    };
    const QImage expected = QImage(golden).convertToFormat(QImage::Format_RGB32);
    const bool sameSize = actual.size() == expected.size();
    int differing = 0;
    for (int y = 0; sameSize && y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            differing += differs(actual.pixel(x, y), expected.pixel(x, y)) ? 1 : 0;
    if (sameSize && differing <= 12)
        return;
    const QString saved = QStringLiteral(VELD_GOLDEN_OUTPUT_DIR "/") +
                          QFileInfo(golden).completeBaseName() + QStringLiteral("-actual.png");
    EXPECT_TRUE(QDir().mkpath(QStringLiteral(VELD_GOLDEN_OUTPUT_DIR)));
    EXPECT_TRUE(actual.save(saved));
    ADD_FAILURE() << "the picture differs from " << golden.toStdString()
                  << (sameSize ? " in " + std::to_string(differing) + " pixels" : " in size")
                  << "; it looks as in " << saved.toStdString();
}

} // namespace veld::test
