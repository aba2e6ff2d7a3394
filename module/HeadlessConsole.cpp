#include "module/HeadlessConsole.h"

#include "protocol/WireText.h"
#include "module/OutputQueue.h"
#include "module/VirtualModule.h"

#include <QSocketNotifier>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <utility>

namespace veld::module {

namespace {
QString onOff(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QString timeText(int hours, int minutes, int seconds) {
    return QString::fromStdString(protocol::timeText(hours, minutes, seconds));
}

QString quoted(const std::string& text) {
    return QString::fromStdString(protocol::quotedText(text));
}

// A word of the input as the error line shows it: control characters and
// bytes that are not UTF-8 as \xNN, so that nothing typed reaches the
// reader's terminal raw.
QString escaped(const QByteArray& word) {
    QString out;
    for (qsizetype i = 0; i < word.size();) {
        const auto lead = static_cast<uchar>(word[i]);
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const QByteArray sequence = word.mid(i, length);
        const QString decoded = QString::fromUtf8(sequence);
        const bool printable = sequence.size() == length &&
                               QByteArrayView(sequence).isValidUtf8() &&
                               decoded.at(0).unicode() >= 0x20 &&
                               (decoded.at(0).unicode() < 0x7F || decoded.at(0).unicode() >= 0xA0);
        out += printable ? decoded : QStringLiteral("\\x%1").arg(lead, 2, 16, QLatin1Char('0'));
        i += printable ? length : 1;
    }
    return out;
}

QString function(protocol::ModuleFunction f) {
    return QLatin1Char('"') + QString::fromStdString(protocol::functionName(f)) + QLatin1Char('"');
}

const QStringList kHelp = {
    QStringLiteral("button N        press button N (1, 2 or 3)"),
    QStringLiteral("temp T          set the temperature to T degrees Celsius (-40 to 125)"),
    QStringLiteral("count           one event on the counter input"),
    QStringLiteral("reset-counter   reset the counter"),
    QStringLiteral("power           switch off and on again"),
    QStringLiteral("state           print the whole state on one line"),
    QStringLiteral("help            list the commands"),
    QStringLiteral("quit            end the program"),
};
} // namespace

HeadlessConsole::HeadlessConsole(VirtualModule& module, int inputFd, OutputQueue& output,
                                 QObject* parent)
    : QObject(parent)
    , m_module(module)
    , m_inputFd(inputFd)
    , m_output(output)
    , m_lastDisplay(displaySummary()) {
    connect(&m_module, &VirtualModule::wireEvent, this, &HeadlessConsole::onWireEvent);
    if (m_inputFd >= 0) {
        m_notifier = new QSocketNotifier(m_inputFd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &HeadlessConsole::readInput);
    }
}

void HeadlessConsole::print(const QString& line) {
    m_output.print(line);
}

QString HeadlessConsole::displaySummary() const {
    const ModuleState& s = m_module.state();
    return QStringLiteral("display %1 dp %2 flashing %3")
        .arg(quoted(s.text()))
        .arg(s.decimalPoint())
        .arg(onOff(s.flashing()));
}

QString HeadlessConsole::stateLine() const {
    const ModuleState& s = m_module.state();
    const TimeOfDay clock = s.clock();
    const TimeOfDay interval = s.countdownInterval();
    const int left = s.countdownRemaining();
    const QStringList fields = {
        QStringLiteral("state"),
        QStringLiteral("display=") + quoted(s.text()),
        QStringLiteral("dp=%1").arg(s.decimalPoint()),
        QStringLiteral("shown=") + quoted(s.shown().characters),
        QStringLiteral("flashing=") + onOff(s.flashing()),
        QStringLiteral("buzzer=") + onOff(s.buzzer()),
        QStringLiteral("output1=") + onOff(s.output1()),
        QStringLiteral("output2=") + onOff(s.output2()),
        QStringLiteral("clock=") + timeText(clock.hours, clock.minutes, clock.seconds),
        QStringLiteral("interval=") + timeText(interval.hours, interval.minutes, interval.seconds),
        QStringLiteral("countdown=") + timeText(left / 3600, left / 60 % 60, left % 60),
        QStringLiteral("running=") + onOff(s.countdownRunning()),
        QStringLiteral("counter=") + onOff(s.counterEnabled()),
        QStringLiteral("count=%1").arg(s.count()),
        QStringLiteral("temperature=%1").arg(s.temperature()),
        QStringLiteral("function=") + function(s.function()),
        QStringLiteral("startup=") + function(s.startupFunction()),
        QStringLiteral("speed=%1").arg(s.lineSpeed()),
        QStringLiteral("line=%1").arg(m_module.panelLineSpeed()),
    };
    return fields.join(QLatin1Char(' '));
}

void HeadlessConsole::onWireEvent(const WireEvent& event) {
    QString line = event.tag() + (event.hex.isEmpty() ? QString() : u' ' + event.hex) +
                   QStringLiteral(" | ") + event.words;
    if (event.kind == WireEvent::Kind::Heard) {
        const QString display = displaySummary();
        if (display != m_lastDisplay) {
            line += QStringLiteral(" | ") + display;
            m_lastDisplay = display;
        }
    }
    print(line);
}

void HeadlessConsole::handleLine(const QByteArray& line) {
    const QList<QByteArray> raw = line.simplified().split(' ');
    if (raw.front().isEmpty())
        return;
    QStringList words;
    for (const QByteArray& word : raw)
        words << QString::fromUtf8(word);
    const QString& command = words.front();
    const auto number = [&words](int& value) {
        bool ok = false;
        value = words.size() == 2 ? words[1].toInt(&ok) : 0;
        return ok;
    };
    const auto expectNoArgument = [&]() {
        if (words.size() == 1)
            return true;
        print(QStringLiteral("error | %1 takes no argument").arg(command));
        return false;
    };

    if (command == QStringLiteral("button")) {
        int button = 0;
        if (!number(button) || button < 1 || button > 3)
            print(QStringLiteral("error | usage: button N, N = 1, 2 or 3"));
        else
            m_module.pressButton(button);
    } else if (command == QStringLiteral("temp")) {
        int celsius = 0;
        if (!number(celsius) || !m_module.setTemperature(celsius))
            print(QStringLiteral("error | usage: temp T, T = %1 to %2")
                      .arg(ModuleState::kMinTemperature)
                      .arg(ModuleState::kMaxTemperature));
        else
            print(QStringLiteral("ok | temperature %1 C").arg(celsius));
    } else if (command == QStringLiteral("count")) {
        if (!expectNoArgument())
            return;
        if (!m_module.state().counterEnabled())
            print(QStringLiteral("ok | counter disabled, event ignored"));
        else
            m_module.counterEvent();
    } else if (command == QStringLiteral("reset-counter")) {
        if (expectNoArgument())
            m_module.resetCounter();
    } else if (command == QStringLiteral("power")) {
        if (!expectNoArgument())
            return;
        m_module.powerCycle();
        m_lastDisplay = displaySummary();
        print(QStringLiteral("ok | power cycle, function ") +
              QString::fromStdString(protocol::functionName(m_module.state().function())) +
              QStringLiteral(" | ") + m_lastDisplay);
    } else if (command == QStringLiteral("state")) {
        if (expectNoArgument())
            print(stateLine());
    } else if (command == QStringLiteral("help")) {
        for (const QString& h : kHelp)
            print(QStringLiteral("help | ") + h);
    } else if (command == QStringLiteral("quit")) {
        if (expectNoArgument())
            emit quitRequested();
    } else {
        print(QStringLiteral("error | unknown command %1; try help").arg(escaped(raw.front())));
    }
}

void HeadlessConsole::readInput() {
    char buffer[4096];
    const ssize_t n = ::read(m_inputFd, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {
        // End of input: the module goes on running; only signals or "quit" end it.
        m_notifier->setEnabled(false);
        if (!m_discarding && !m_pending.isEmpty())
            handleLine(m_pending);
        m_pending.clear();
        return;
    }
    // Only the new bytes are searched, so a line costs time in proportion to
    // its length however it arrives.
    const char* from = buffer;
    const char* const end = buffer + n;
    while (from < end) {
        const auto* newline =
            static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(end - from)));
        const char* const lineEnd = newline ? newline : end;
        if (!m_discarding) {
            m_pending.append(from, lineEnd - from);
            if (m_pending.size() > kMaxLineBytes) {
                print(QStringLiteral("error | input line longer than %1 bytes, discarded")
                          .arg(kMaxLineBytes));
                m_pending.clear();
                m_discarding = true;
            }
        }
        if (!newline)
            break;
        if (!m_discarding)
            handleLine(std::exchange(m_pending, {}));
        m_discarding = false;
        from = newline + 1;
    }
}

} // namespace veld::module
