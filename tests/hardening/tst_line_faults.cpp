// Faults on the serial line while the panel runs: a flood of random bytes,
// messages split across ticks, the module's end going away mid-session and
// writes to a line that is gone. The panel must keep ticking, keep its receive
// buffer bounded, close the lost port once and quietly, and take a new line
// from the port menu.

#include "support/PanelHarness.h"
#include "support/PtyPair.h"
#include "support/TestMain.h"

#include <QLabel>
#include <QRandomGenerator>
#include <QtTest>
#include <ctime>
#include <memory>

using namespace veld;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kCounterDisable = QByteArray::fromHex("fe15ff");
const QByteArray kCounterEvent = QByteArray::fromHex("fe0500ff");
const QByteArray kCounterReset = QByteArray::fromHex("fe3200ff");

// Warnings of the serial control, counted while an instance lives.
class SerialWarnings {
public:
    SerialWarnings() {
        s_count = 0;
        m_previous = qInstallMessageHandler(&SerialWarnings::handle);
        s_previous = m_previous;
    }
    ~SerialWarnings() { qInstallMessageHandler(m_previous); }
    SerialWarnings(const SerialWarnings&) = delete;
    SerialWarnings& operator=(const SerialWarnings&) = delete;

    int count() const { return s_count; }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (context.category && qstrcmp(context.category, "veld.serial") == 0)
            ++s_count;
        if (s_previous)
            s_previous(type, context, text);
    }

    QtMessageHandler m_previous = nullptr;
    static inline int s_count = 0;
    static inline QtMessageHandler s_previous = nullptr;
};

qint64 processCpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<qint64>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// CPU time the process uses while the event loop runs for `ms`.
qint64 cpuDuringWait(int ms) {
    const qint64 before = processCpuMs();
    QTest::qWait(ms);
    return processCpuMs() - before;
}

QString labelText(const test::PanelHarness& h, const QString& name) {
    return h.controls().label(name)->text();
}

} // namespace

class LineFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void floodOfRandomBytesKeepsTheBufferBounded();
    void messagesSplitAcrossTicksResynchronise();
    void lineClosedMidSessionThenNewLineFromPortMenu();
    void writesOnALineThatIsGone();
    void lineGoesAwayWithBytesWaiting();
};

void LineFaultsTest::floodOfRandomBytesKeepsTheBufferBounded() {
    test::PanelHarness h;
    test::PtyPair pty;
    h.mapPort(1, pty.slavePath());
    app::frmVELD& w = h.start();
    QVERIFY(h.boxes.isEmpty());
    QCOMPARE(pty.receive(3), kCounterDisable);
    w.cmdTemp_Click(); // the panel writes while the flood comes in

    constexpr qsizetype kTotal = 3 * 1024 * 1024;
    QRandomGenerator rng(20261205);
    qsizetype sent = 0;
    int ticks = 0;
    int round = 0;
    qint16 largest = 0;
    while (sent < kTotal) {
        // Up to what a tty input queue holds, so each chunk is all there when
        // send() returns; still far more than the control's buffer.
        QByteArray chunk(rng.bounded(1, 4001), '\0');
        for (char& b : chunk)
            b = static_cast<char>(rng.bounded(256));
        if (++round % 8 == 0) // now and then a well-formed message in the noise
            chunk.prepend(rng.bounded(2) ? kCounterEvent : QByteArray::fromHex("fe0419ff"));
        pty.send(chunk);
        sent += chunk.size();

        // Tick until what is waiting is below one message; every tick returns
        // and the buffer never holds more than the control's 1024 bytes.
        for (int guard = 0; guard < 64; ++guard) {
            if (round % 16 == 0)
                QCoreApplication::processEvents(); // lets the port's notifier read too
            const qint16 waiting = w.serialControl().inBufferCount();
            QVERIFY2(waiting >= 0 && waiting <= 1024, qPrintable(QString::number(waiting)));
            largest = std::max(largest, waiting);
            if (waiting < 4)
                break;
            h.now = h.now.addSecs(1);
            w.Timer1_Timer();
            ++ticks;
            QCOMPARE(labelText(h, u"lblTIME"_s), h.now.toString(u"h:mm:ss"_s));
            QVERIFY(w.serialControl().inBufferCount() <= 1024);
        }
        QVERIFY2(w.serialControl().inBufferCount() < 4, "the panel fell behind the line");
        if (round % 4 == 0)
            w.Timer2_Timer();
    }
    qInfo("flood: %lld bytes in %d rounds, %d ticks, at most %d bytes waiting",
          static_cast<long long>(sent), round, ticks, largest);
    QCOMPARE(largest, qint16{1024}); // chunks larger than the buffer did arrive
    QVERIFY(w.serialControl().portOpen());
    QVERIFY(h.boxes.isEmpty());
    QVERIFY(w.eventCount() >= 0);

    // The decoder is still in step once the line is quiet: a read of four
    // zero bytes takes whatever is left, then whole messages decode.
    pty.send(QByteArray(4, '\0'));
    w.Timer1_Timer();
    QCOMPARE(w.serialControl().inBufferCount(), qint16{0});
    pty.send(kCounterReset);
    w.Timer1_Timer();
    QCOMPARE(labelText(h, u"lblCounter"_s), u"0"_s);
    pty.send(kCounterEvent);
    w.Timer1_Timer();
    QCOMPARE(labelText(h, u"lblCounter"_s), u"1"_s);
    // The temperature requests went out whole through the flood.
    const QByteArray requests = pty.receiveFor(50);
    QVERIFY(!requests.isEmpty());
    QCOMPARE(requests.size() % 3, 0);
    QCOMPARE(requests, QByteArray::fromHex("fe04ff").repeated(requests.size() / 3));
}

void LineFaultsTest::messagesSplitAcrossTicksResynchronise() {
    test::PanelHarness h;
    test::PtyPair pty;
    h.mapPort(1, pty.slavePath());
    app::frmVELD& w = h.start();
    QCOMPARE(pty.receive(3), kCounterDisable);
    const QString secBefore = labelText(h, u"lblSec"_s);

    // A time stamp dribbled in byte by byte: nothing happens below four bytes;
    // at four the read is too short for a time stamp and is dropped whole.
    const QByteArray stamp = QByteArray::fromHex("fe01050709ff");
    for (int i = 0; i < 4; ++i) {
        pty.send(stamp.mid(i, 1));
        w.Timer1_Timer();
        QCOMPARE(w.serialControl().inBufferCount(), qint16(i < 3 ? i + 1 : 0));
    }
    QCOMPARE(labelText(h, u"lblSec"_s), secBefore);

    // The tail of the stamp lies in front of the next message, which is lost
    // with it; the one after that decodes.
    pty.send(stamp.mid(4));
    w.Timer1_Timer();
    QCOMPARE(w.serialControl().inBufferCount(), qint16{2});
    pty.send(kCounterEvent);
    w.Timer1_Timer();
    QCOMPARE(w.eventCount(), std::int16_t{0});
    pty.send(kCounterEvent);
    w.Timer1_Timer();
    QCOMPARE(w.eventCount(), std::int16_t{1});

    // Half a message at a time, two messages per read: one effect per read.
    pty.send(kCounterEvent.left(2));
    w.Timer1_Timer();
    pty.send(kCounterEvent.mid(2) + kCounterEvent);
    w.Timer1_Timer();
    QCOMPARE(w.eventCount(), std::int16_t{2});
    QCOMPARE(w.serialControl().inBufferCount(), qint16{0});
    QVERIFY(h.boxes.isEmpty());
}

void LineFaultsTest::lineClosedMidSessionThenNewLineFromPortMenu() {
    test::PanelHarness h;
    auto first = std::make_unique<test::PtyPair>();
    h.mapPort(1, first->slavePath());
    app::frmVELD& w = h.start();
    QCOMPARE(first->receive(3), kCounterDisable);
    first->send(kCounterEvent);
    w.Timer1_Timer();
    QCOMPARE(w.eventCount(), std::int16_t{1});

    SerialWarnings warnings;
    first->closeMaster();
    // Ticks and the event loop go on with the line gone.
    for (int i = 0; i < 10; ++i) {
        h.now = h.now.addSecs(1);
        w.Timer1_Timer();
        QCOMPARE(labelText(h, u"lblTIME"_s), h.now.toString(u"h:mm:ss"_s));
        QCoreApplication::processEvents();
    }
    // The control closed the lost port at once and said so once.
    QVERIFY(!w.serialControl().portOpen());
    QVERIFY(w.serialControl().openDevice().isEmpty());
    QCOMPARE(w.serialControl().inBufferCount(), qint16{0});
    QCOMPARE(warnings.count(), 1);
    for (const char* l : {"lblButton1", "lblButton2", "lblButton3"})
        QVERIFY(!h.controls().label(QLatin1String(l))->isVisible());

    // With the port closed nothing is left to wake the event loop.
    const qint64 cpu = cpuDuringWait(400);
    QVERIFY2(cpu < 200, qPrintable(u"%1 ms of CPU in 400 ms"_s.arg(cpu)));
    QCOMPARE(warnings.count(), 1);
    QVERIFY(h.boxes.isEmpty());

    // A new line on COM1, picked from the port menu.
    test::PtyPair second;
    h.mapPort(1, second.slavePath());
    w.mnuCOM1_Click();
    QVERIFY2(h.boxes.isEmpty(), qPrintable(h.boxes.value(0).text));
    QVERIFY(w.serialControl().portOpen());
    QCOMPARE(w.serialControl().openDevice(), second.devicePath());
    w.cmdFlash_Click();
    QCOMPARE(second.receive(w.lastCommand().size()),
             QByteArray(reinterpret_cast<const char*>(w.lastCommand().data()),
                        static_cast<qsizetype>(w.lastCommand().size())));
    second.send(kCounterEvent);
    w.Timer1_Timer();
    QCOMPARE(w.eventCount(), std::int16_t{2});
    first.reset();
}

void LineFaultsTest::writesOnALineThatIsGone() {
    test::PanelHarness h;
    test::PtyPair pty;
    h.mapPort(1, pty.slavePath());
    app::frmVELD& w = h.start();
    QCOMPARE(pty.receive(3), kCounterDisable);

    SerialWarnings warnings;
    pty.closeMaster();
    // Guarded and unguarded sends alike, many times over.
    for (int i = 0; i < 200; ++i) {
        w.cmdFlash_Click();
        w.cmdOnBuz_Click();
        w.cmdTimeStamp_Click();
        w.Timer2_Timer();
    }
    w.cmdTemp_Click();
    w.Timer2_Timer();
    QVERIFY(!w.serialControl().portOpen());
    QVERIFY(h.boxes.isEmpty());
    QVERIFY2(warnings.count() <= 1, qPrintable(QString::number(warnings.count())));
    const qint64 cpu = cpuDuringWait(400);
    QVERIFY2(cpu < 200, qPrintable(u"%1 ms of CPU in 400 ms"_s.arg(cpu)));
    QVERIFY(h.boxes.isEmpty());
    QVERIFY(warnings.count() <= 1);
}

void LineFaultsTest::lineGoesAwayWithBytesWaiting() {
    test::PanelHarness h;
    test::PtyPair pty;
    h.mapPort(1, pty.slavePath());
    app::frmVELD& w = h.start();
    QCOMPARE(pty.receive(3), kCounterDisable);

    pty.send(QByteArray::fromHex("fe05"));
    w.Timer1_Timer();
    QCOMPARE(w.serialControl().inBufferCount(), qint16{2});
    pty.closeMaster();
    for (int i = 0; i < 5; ++i) {
        w.Timer1_Timer();
        QCoreApplication::processEvents();
    }
    QCOMPARE(w.eventCount(), std::int16_t{0});
    QVERIFY(!w.serialControl().portOpen());
    QCOMPARE(w.serialControl().inBufferCount(), qint16{0});
    QVERIFY(w.serialControl().input().isEmpty());
    QVERIFY(h.boxes.isEmpty());
}

VELD_QTEST_MAIN(LineFaultsTest)
#include "tst_line_faults.moc"
