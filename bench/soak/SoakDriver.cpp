// The panel for a soak run: the real window on the port given, started as the
// program starts it, with "Show Temperature" on so that its own Timer2 polls,
// and a stream of clicks on the window's buttons. It measures every tick of
// the window's own Timer1 (lateness against its 500 ms period and the time the
// tick handler takes), samples the labels the ticks write, and prints a report
// when the run ends. RSS and CPU are sampled from outside by bench/soak.sh.
//
//   veld_soak_driver --device /dev/pts/N --seconds 1800 [--click-ms 40]
//
// Exit status: 0 when the run ended as planned, 1 when a message box was
// shown or the port was lost.

#include "app/frmVELD.h"
#include "ui_frmVELD.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kTickPeriodMs = 500;

// Timestamps the window's Timer1 events as they are delivered, before the
// timer's timeout runs the tick handler.
class TickWatch : public QObject {
public:
    explicit TickWatch(const QElapsedTimer& clock)
        : m_clock(clock) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Timer)
            m_tickStartNs = m_clock.nsecsElapsed();
        return QObject::eventFilter(watched, event);
    }

    // Connected after the window's own handler: runs once the tick is done.
    void tickDone() {
        const qint64 now = m_clock.nsecsElapsed();
        if (m_lastStartNs >= 0)
            m_intervalsUs.push_back((m_tickStartNs - m_lastStartNs) / 1000);
        m_durationsUs.push_back((now - m_tickStartNs) / 1000);
        m_lastStartNs = m_tickStartNs;
    }

    std::vector<qint64> m_intervalsUs;
    std::vector<qint64> m_durationsUs;

private:
    const QElapsedTimer& m_clock;
    qint64 m_tickStartNs = 0;
    qint64 m_lastStartNs = -1;
};

qint64 percentile(std::vector<qint64> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
    return values[index];
}

} // namespace

int main(int argc, char** argv) {
    // The run must not read or write the user's own panel settings.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(u"VELD"_s);
    QCoreApplication::setApplicationName(u"VELD"_s);

    QCommandLineParser parser;
    const QCommandLineOption deviceOption(u"device"_s, u"Serial device (the module's line)."_s,
                                          u"path"_s);
    const QCommandLineOption secondsOption(u"seconds"_s, u"Length of the run."_s, u"s"_s,
                                           u"1800"_s);
    const QCommandLineOption clickOption(u"click-ms"_s, u"Time between two clicks."_s, u"ms"_s,
                                         u"40"_s);
    parser.addOptions({deviceOption, secondsOption, clickOption});
    parser.addHelpOption();
    parser.process(app);
    if (!parser.isSet(deviceOption))
        parser.showHelp(2);
    qputenv("VELD_COM1", QFile::encodeName(parser.value(deviceOption)));
    const int seconds = parser.value(secondsOption).toInt();
    const int clickMs = std::max(1, parser.value(clickOption).toInt());

    QElapsedTimer clock;
    clock.start();

    veld::app::frmVELD window;
    int boxes = 0;
    window.setMessageBox(
        [&boxes](QWidget*, const QString& title, const QString& text, const QString&) {
            ++boxes;
            std::fprintf(stderr, "soak: message box \"%s\": %s\n", qUtf8Printable(title),
                         qUtf8Printable(text));
        });
    window.Form_Load();
    window.show();
    if (boxes != 0 || !window.serialControl().portOpen()) {
        std::fprintf(stderr, "soak: the panel did not open %s\n",
                     qUtf8Printable(parser.value(deviceOption)));
        return 1;
    }
    const Ui::frmVELD& c = window.form();

    TickWatch watch(clock);
    QTimer* timer1 = &window.timer1();
    timer1->installEventFilter(&watch);
    QObject::connect(timer1, &QTimer::timeout, &app, [&watch] { watch.tickDone(); });

    // Counter on, then temperature polling on; clicks that clear the polling
    // flag are followed by "Show Temperature" again.
    window.form().optCountEn->click();
    window.form().cmdTemp->click();

    // nullptr: type a number into the text box and send it.
    const QList<QAbstractButton*> clicks = {c.cmdFlash,  c.cmdOnBuz,     c.cmdOffBuz,  c.cmdOnOut,
                                            c.cmdOFFOut, c.cmdOnOut2,    c.cmdOffOut2, c.cmdFlash,
                                            nullptr,     c.cmdTimeStamp, c.cmdTemp,    c.optFAH,
                                            c.optCEL,    c.optCountEn,   c.cmdTemp};
    qsizetype nextClick = 0;
    qint64 clicksDone = 0;
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, &app, [&] {
        QAbstractButton* button = clicks[nextClick];
        nextClick = (nextClick + 1) % clicks.size();
        if (!button) {
            window.form().txtDigit->setText(QString::number(clicksDone % 1000000));
            window.form().cmdSendAscii->click();
        } else {
            button->click();
        }
        ++clicksDone;
    });
    clicker.start(clickMs);

    // Once a second: what the ticks showed, to tell that traffic flowed.
    qint64 tempChanges = 0;
    qint64 counterChanges = 0;
    qint64 lostSeconds = 0;
    QString lastTemp;
    QString lastCounter;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, &app, [&] {
        const QString temp = window.form().lblTemp->text();
        const QString counter = window.form().lblCounter->text();
        tempChanges += temp != lastTemp;
        counterChanges += counter != lastCounter;
        lastTemp = temp;
        lastCounter = counter;
        lostSeconds += !window.serialControl().portOpen();
    });
    sampler.start(1000);

    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    QApplication::exec();

    std::vector<qint64> lateUs;
    lateUs.reserve(watch.m_intervalsUs.size());
    for (qint64 i : watch.m_intervalsUs)
        lateUs.push_back(std::max<qint64>(0, i - kTickPeriodMs * 1000));
    const qint64 maxLateUs = lateUs.empty() ? 0 : *std::max_element(lateUs.begin(), lateUs.end());
    const auto over100 =
        std::count_if(lateUs.begin(), lateUs.end(), [](qint64 us) { return us > 100'000; });
    const qint64 maxTickUs =
        watch.m_durationsUs.empty()
            ? 0
            : *std::max_element(watch.m_durationsUs.begin(), watch.m_durationsUs.end());

    std::printf("ticks %zu\n", watch.m_durationsUs.size());
    std::printf("tick_late_ms_p50 %.1f\n", percentile(lateUs, 0.50) / 1000.0);
    std::printf("tick_late_ms_p99 %.1f\n", percentile(lateUs, 0.99) / 1000.0);
    std::printf("tick_late_ms_max %.1f\n", maxLateUs / 1000.0);
    std::printf("ticks_late_over_100ms %ld\n", static_cast<long>(over100));
    std::printf("tick_handler_ms_p99 %.2f\n", percentile(watch.m_durationsUs, 0.99) / 1000.0);
    std::printf("tick_handler_ms_max %.2f\n", maxTickUs / 1000.0);
    std::printf("clicks %lld\n", static_cast<long long>(clicksDone));
    std::printf("temperature_label_changes %lld\n", static_cast<long long>(tempChanges));
    std::printf("counter_label_changes %lld\n", static_cast<long long>(counterChanges));
    std::printf("event_count %d\n", window.eventCount());
    std::printf("message_boxes %d\n", boxes);
    std::printf("seconds_without_port %lld\n", static_cast<long long>(lostSeconds));
    std::fflush(stdout);
    return boxes == 0 && lostSeconds == 0 ? 0 : 1;
}
