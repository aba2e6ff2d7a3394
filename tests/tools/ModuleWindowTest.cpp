#include "tools/ModuleWindow.h"
#include "support/TestMain.h"
#include "tools/PtyEndpoint.h"
#include "tools/SevenSegmentDisplay.h"
#include "tools/VirtualModule.h"

#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace veld::tools;

namespace {
constexpr int kWaitMs = 5000;

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// The panel's side of the line, opened on the module's device like a serial port.
class PanelEnd {
public:
    explicit PanelEnd(const QString& device) {
        m_fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        setSpeed(B9600);
    }
    ~PanelEnd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    PanelEnd(const PanelEnd&) = delete;
    PanelEnd& operator=(const PanelEnd&) = delete;

    bool isOpen() const { return m_fd >= 0; }

    void setSpeed(speed_t speed) {
        termios t{};
        ::tcgetattr(m_fd, &t);
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, speed);
        ::tcsetattr(m_fd, TCSANOW, &t);
    }

    void send(const QByteArray& bytes) {
        QVERIFY(::write(m_fd, bytes.constData(), static_cast<std::size_t>(bytes.size())) ==
                bytes.size());
    }

    // Processes events (the module lives in this thread) until `count` bytes
    // have come or the deadline passes.
    QByteArray receive(qsizetype count) {
        QByteArray out;
        [[maybe_unused]] const bool complete = QTest::qWaitFor(
            [&] {
                char buffer[256];
                const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
                if (n > 0)
                    out.append(buffer, n);
                return out.size() >= count;
            },
            kWaitMs);
        return out;
    }

private:
    int m_fd = -1;
};

int litPixels(const QImage& image) {
    int lit = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            lit += qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) < 100;
    return lit;
}
} // namespace

// The module's window on the offscreen platform, with the test as the panel
// on the module's pseudo-terminal.
class ModuleWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PtyEndpoint> m_line;
    std::unique_ptr<VirtualModule> m_module;
    std::unique_ptr<ModuleWindow> m_window;
    std::unique_ptr<PanelEnd> m_panel;

    template <typename T> T* child(const QString& name) {
        T* widget = m_window->findChild<T*>(name);
        if (!widget)
            qFatal("no child %s", qPrintable(name));
        return widget;
    }
    QString labelText(const QString& name) { return child<QLabel>(name)->text(); }
    bool lampOn(const QString& name) { return child<QLabel>(name)->property("on").toBool(); }
    SevenSegmentDisplay& display() { return m_window->display(); }

private slots:
    void init() {
        m_line = std::make_unique<PtyEndpoint>();
        QString error;
        QVERIFY2(m_line->open(error), qPrintable(error));
        m_module = std::make_unique<VirtualModule>(*m_line);
        m_window = std::make_unique<ModuleWindow>(*m_module);
        m_window->show();
        m_panel = std::make_unique<PanelEnd>(m_line->devicePath());
        QVERIFY(m_panel->isOpen());
    }

    void cleanup() {
        m_panel.reset();
        m_window.reset();
        m_module.reset();
        m_line.reset();
    }

    void textAndPointShowOnTheDigits() {
        m_panel->send(hex("FE 03 20 20 20 20 31 32 FF FE 13 03 FF"));
        QTRY_COMPARE_WITH_TIMEOUT(display().points(), std::uint8_t{0b000100}, kWaitMs);
        QCOMPARE(display().characters(), std::string("    12"));
        QCOMPARE(labelText(u"lastFrame"_s), u"FE 13 03 FF  decimal point 3"_s);
    }

    void segmentsAreDrawn() {
        m_panel->send(hex("FE 03 20 20 20 20 20 20 FF"));
        QTRY_COMPARE_WITH_TIMEOUT(display().characters(), std::string(6, ' '), kWaitMs);
        const int blank = litPixels(display().grab().toImage());
        m_panel->send(hex("FE 03 31 31 31 31 31 31 FF"));
        QTRY_COMPARE_WITH_TIMEOUT(display().characters(), std::string("111111"), kWaitMs);
        const int ones = litPixels(display().grab().toImage());
        m_panel->send(hex("FE 03 38 38 38 38 38 38 FF"));
        QTRY_COMPARE_WITH_TIMEOUT(display().characters(), std::string("888888"), kWaitMs);
        const int eights = litPixels(display().grab().toImage());
        QCOMPARE(blank, 0);
        QVERIFY2(ones > 0 && eights > 2 * ones,
                 qPrintable(u"ones %1, eights %2"_s.arg(ones).arg(eights)));
    }

    void flashingBlinksTheDigits() {
        m_panel->send(hex("FE 03 38 38 38 38 38 38 FF FE FC FF"));
        QTRY_VERIFY_WITH_TIMEOUT(display().flashing(), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!display().lit(), kWaitMs);
        QCOMPARE(litPixels(display().grab().toImage()), 0);
        QTRY_VERIFY_WITH_TIMEOUT(display().lit(), kWaitMs);
        m_panel->send(hex("FE FC FF"));
        QTRY_VERIFY_WITH_TIMEOUT(!display().flashing(), kWaitMs);
        QVERIFY(display().lit());
    }

    void lampsFollowBuzzerAndOutputs() {
        m_panel->send(hex("FE FA FF FE F6 FF"));
        QTRY_VERIFY_WITH_TIMEOUT(lampOn(u"output2"_s), kWaitMs);
        QVERIFY(lampOn(u"buzzer"_s));
        QVERIFY(!lampOn(u"output1"_s));
        m_panel->send(hex("FE FB FF FE F9 FF"));
        QTRY_VERIFY_WITH_TIMEOUT(lampOn(u"output1"_s), kWaitMs);
        QVERIFY(!lampOn(u"buzzer"_s));
        QVERIFY(lampOn(u"output2"_s));
    }

    void frameCutShortIsGivenUpWhenTheLineGoesQuiet() {
        // A text frame that never ends holds a temperature request inside its
        // nine bytes; once the line stays quiet the request is still answered.
        m_panel->send(hex("FE 03 41 FE 04 FF"));
        QCOMPARE(m_panel->receive(4).toHex(' '), hex("FE 04 19 FF").toHex(' '));
        QVERIFY(child<QPlainTextEdit>(u"log"_s)->toPlainText().contains(u"skip"_s));
        QCOMPARE(display().characters(), std::string(6, ' '));
    }

    void buttonsSendTheirMessages_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("1") << u"button1"_s << hex("FE 03 10 FF");
        QTest::newRow("2") << u"button2"_s << hex("FE 03 20 FF");
        QTest::newRow("3") << u"button3"_s << hex("FE 03 08 FF");
    }

    void buttonsSendTheirMessages() {
        QFETCH(QString, button);
        QFETCH(QByteArray, message);
        child<QPushButton>(button)->click();
        QCOMPARE(m_panel->receive(message.size()).toHex(' '), message.toHex(' '));
    }

    void temperatureSettingAnswersTheRequest() {
        child<QSpinBox>(u"temperature"_s)->setValue(-12);
        m_panel->send(hex("FE 04 FF"));
        QCOMPARE(m_panel->receive(4).toHex(' '), hex("FE 06 0C FF").toHex(' '));
        child<QSpinBox>(u"temperature"_s)->setValue(125);
        m_panel->send(hex("FE 04 FF"));
        QCOMPARE(m_panel->receive(4).toHex(' '), hex("FE 04 7D FF").toHex(' '));
        QCOMPARE(child<QSpinBox>(u"temperature"_s)->minimum(), -40);
    }

    void counterButtonsAndPowerCycle() {
        m_panel->send(hex("FE 90 05 FF FE 05 FF")); // start-up function counter; enable
        QTRY_VERIFY_WITH_TIMEOUT(labelText(u"counter"_s).startsWith(u"enabled"_s), kWaitMs);
        child<QPushButton>(u"counterEvent"_s)->click();
        QCOMPARE(m_panel->receive(4).toHex(' '), hex("FE 05 00 FF").toHex(' '));
        QCOMPARE(labelText(u"counter"_s), u"enabled, count 1"_s);
        QCOMPARE(display().characters(), std::string("     1"));
        child<QPushButton>(u"resetCounter"_s)->click();
        QCOMPARE(m_panel->receive(4).toHex(' '), hex("FE 32 00 FF").toHex(' '));
        QCOMPARE(labelText(u"counter"_s), u"enabled, count 0"_s);

        m_panel->send(hex("FE 03 48 45 4C 4C 4F 20 FF"));
        QTRY_COMPARE_WITH_TIMEOUT(display().characters(), std::string("HELLO "), kWaitMs);
        child<QPushButton>(u"powerCycle"_s)->click();
        QCOMPARE(display().characters(), std::string("     0"));
        QVERIFY(labelText(u"function"_s).startsWith(u"now F5 counter"_s));
    }

    void mismatchedLineSpeedIsShownAndNothingIsHeard() {
        m_panel->setSpeed(B19200);
        m_panel->send(hex("FE 03 31 32 33 34 35 36 FF"));
        auto* log = child<QPlainTextEdit>(u"log"_s);
        QTRY_VERIFY_WITH_TIMEOUT(log->toPlainText().contains(u"lost FE 03 31 32 33 34 35 36 FF"_s),
                                 kWaitMs);
        QCOMPARE(display().characters(), std::string(6, ' '));
        QVERIFY(labelText(u"line"_s).contains(u"mismatch"_s));
    }
};

VELD_QTEST_MAIN(ModuleWindowTest)

#include "ModuleWindowTest.moc"
