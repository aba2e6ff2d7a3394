// Faults on the line while the panel runs: a flood of random bytes keeps the
// receive buffer bounded and the decoder in step; a line that goes away is
// closed once, with one warning, and leaves nothing running; a new line comes
// from the port menu.
#include "support/Panel.h"

#include <QRandomGenerator>
#include <QtTest>
#include <ctime>
#include <gtest/gtest.h>

using namespace veld::test;

namespace {

int g_serialWarnings = 0;

qint64 cpuMsWhileWaiting(int ms) {
    const auto cpu = [] {
        timespec t{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<qint64>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
    };
    const qint64 before = cpu();
    QTest::qWait(ms);
    return cpu() - before;
}

TEST(LineFaults, AFloodOfRandomBytesKeepsTheBufferBoundedAndTheDecoderInStep) {
    Panel p;
    p.open();
    p.ui().cmdTemp->click(); // the panel writes while the flood comes in
    QRandomGenerator random(20261205);
    qint16 largest = 0;
    for (int round = 1; round <= 800; ++round) {
        QByteArray chunk(random.bounded(1, 4001), '\0');
        for (char& b : chunk)
            b = static_cast<char>(random.bounded(256));
        p.pty(1).send(chunk);
        for (int guard = 0; guard < 64 && p.w().serialControl().inBufferCount() >= 4; ++guard) {
            largest = std::max(largest, p.w().serialControl().inBufferCount());
            p.tick();
        }
        ASSERT_LT(p.w().serialControl().inBufferCount(), 4) << "the panel fell behind the line";
        if (round % 4 == 0)
            p.tick2();
    }
    EXPECT_EQ(largest, 1024);
    p.receive("00 00 00 00");
    p.receive("FE 32 00 FF");
    p.receive("FE 05 00 FF");
    EXPECT_EQ(p.ui().lblCounter->text(), QStringLiteral("1"));
    const QByteArray requests = p.heard();
    EXPECT_EQ(requests, hex("FE 04 FF").repeated(requests.size() / 3));
    EXPECT_TRUE(p.boxes.isEmpty());
}

TEST(LineFaults, ALineThatGoesAwayIsClosedOnceQuietlyAndANewOneComesFromThePortMenu) {
    Panel p;
    p.open();
    p.pty(1).send(hex("FE 05"));
    p.tick();
    g_serialWarnings = 0;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString&) {
        g_serialWarnings += context.category && qstrcmp(context.category, "veld.serial") == 0;
    });
    p.pty(1).closeMaster();
    for (int i = 0; i < 10; ++i) {
        p.tick();
        p.ui().cmdFlash->click();
        p.ui().cmdTimeStamp->click();
        p.tick2();
        QCoreApplication::processEvents();
    }
    EXPECT_FALSE(p.w().serialControl().portOpen());
    EXPECT_EQ(p.w().serialControl().inBufferCount(), 0);
    EXPECT_EQ(p.ui().lblCounter->text(), QStringLiteral("0000"));
    EXPECT_LT(cpuMsWhileWaiting(400), 200); // nothing is left to wake the event loop
    EXPECT_EQ(g_serialWarnings, 1);
    qInstallMessageHandler(nullptr);
    EXPECT_TRUE(p.boxes.isEmpty());

    PtyPair second;
    Panel::map(1, second.slavePath());
    p.ui().mnuCOM1->trigger();
    p.ui().cmdFlash->click();
    EXPECT_EQ(second.receive(3), hex("FE FC FF"));
    EXPECT_TRUE(p.boxes.isEmpty());
}

} // namespace
