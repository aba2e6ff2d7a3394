#include "module/ModuleWindow.h"

#include "common/SideBySide.h"
#include "module/SevenSegmentDisplay.h"
#include "module/VirtualModule.h"
#include "protocol/WireText.h"
#include "ui/EnterClicks.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

namespace veld::module {

namespace {
constexpr int kLogLines = 500;

QString timeText(int hours, int minutes, int seconds) {
    return QString::fromStdString(protocol::timeText(hours, minutes, seconds));
}

QLabel* makeLamp(const QString& name, const QString& caption, QWidget* parent) {
    auto* lamp = new QLabel(caption, parent);
    lamp->setObjectName(name);
    lamp->setAlignment(Qt::AlignCenter);
    lamp->setMinimumWidth(90);
    lamp->setFrameShape(QFrame::Panel);
    return lamp;
}

QPushButton* makeButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QLabel* makeValue(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}
} // namespace

QRect besidePanel(const QSize& own, const QRect& available) {
    using common::kFrameGuess;
    const QSize frame = own.grownBy(kFrameGuess).boundedTo(available.size());
    const auto pair = common::sideBySide(common::kPanelSize.grownBy(kFrameGuess), frame, available);
    // Else over the panel in the top right corner, where the display (the
    // window's top) stays clear of the panel centred lower down.
    const QRect place =
        pair ? pair->module
             : QRect(QPoint(available.x() + available.width() - frame.width(), available.y()),
                     frame);
    return place.marginsRemoved(kFrameGuess);
}

void ModuleWindow::placeBesidePanel() {
    adjustSize();
    if (const QScreen* shownOn = screen())
        setGeometry(besidePanel(size(), shownOn->availableGeometry()));
}

ModuleWindow::ModuleWindow(VirtualModule& module, QWidget* parent)
    : QWidget(parent)
    , m_module(module) {
    setWindowTitle(QStringLiteral("Virtual VELD module"));
    auto* layout = new QVBoxLayout(this);

    m_display = new SevenSegmentDisplay(this);
    m_display->setObjectName(QStringLiteral("display"));
    layout->addWidget(m_display, 1);

    auto* lamps = new QHBoxLayout;
    m_buzzer = makeLamp(QStringLiteral("buzzer"), QStringLiteral("Buzzer"), this);
    m_output1 = makeLamp(QStringLiteral("output1"), QStringLiteral("Output 1"), this);
    m_output2 = makeLamp(QStringLiteral("output2"), QStringLiteral("Output 2"), this);
    for (QLabel* lamp : {m_buzzer, m_output1, m_output2})
        lamps->addWidget(lamp);
    layout->addLayout(lamps);

    auto* inputs = new QGroupBox(QStringLiteral("Inputs"), this);
    auto* inputRows = new QVBoxLayout(inputs);
    auto* buttons = new QHBoxLayout;
    for (int n = 1; n <= 3; ++n) {
        QPushButton* button = makeButton(QStringLiteral("button%1").arg(n),
                                         QStringLiteral("Button &%1").arg(n), inputs);
        connect(button, &QPushButton::clicked, this, [this, n] { m_module.pressButton(n); });
        buttons->addWidget(button);
    }
    inputRows->addLayout(buttons);

    auto* others = new QHBoxLayout;
    others->addWidget(new QLabel(QStringLiteral("Temperature"), inputs));
    m_temperature = new QSpinBox(inputs);
    m_temperature->setObjectName(QStringLiteral("temperature"));
    m_temperature->setRange(ModuleState::kMinTemperature, ModuleState::kMaxTemperature);
    m_temperature->setSuffix(QStringLiteral(" \u00B0C"));
    m_temperature->setValue(m_module.state().temperature());
    connect(m_temperature, &QSpinBox::valueChanged, this,
            [this](int celsius) { m_module.setTemperature(celsius); });
    others->addWidget(m_temperature);
    QPushButton* count =
        makeButton(QStringLiteral("counterEvent"), QStringLiteral("Counter &event"), inputs);
    connect(count, &QPushButton::clicked, this, [this] { m_module.counterEvent(); });
    QPushButton* reset =
        makeButton(QStringLiteral("resetCounter"), QStringLiteral("&Reset counter"), inputs);
    connect(reset, &QPushButton::clicked, this, [this] { m_module.resetCounter(); });
    QPushButton* power =
        makeButton(QStringLiteral("powerCycle"), QStringLiteral("&Power cycle"), inputs);
    connect(power, &QPushButton::clicked, this, [this] { m_module.powerCycle(); });
    for (QPushButton* b : {count, reset, power})
        others->addWidget(b);
    inputRows->addLayout(others);
    layout->addWidget(inputs);

    auto* status = new QGroupBox(QStringLiteral("State"), this);
    auto* form = new QFormLayout(status);
    m_clock = makeValue(QStringLiteral("clock"), status);
    m_countdown = makeValue(QStringLiteral("countdown"), status);
    m_counter = makeValue(QStringLiteral("counter"), status);
    m_function = makeValue(QStringLiteral("function"), status);
    m_line = makeValue(QStringLiteral("line"), status);
    m_lastFrame = makeValue(QStringLiteral("lastFrame"), status);
    form->addRow(QStringLiteral("Clock"), m_clock);
    form->addRow(QStringLiteral("Countdown"), m_countdown);
    form->addRow(QStringLiteral("Counter"), m_counter);
    form->addRow(QStringLiteral("Function"), m_function);
    form->addRow(QStringLiteral("Line"), m_line);
    form->addRow(QStringLiteral("Last frame"), m_lastFrame);
    layout->addWidget(status);

    m_log = new QPlainTextEdit(this);
    m_log->setObjectName(QStringLiteral("log"));
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(kLogLines);
    m_log->setFont(QFont(QStringLiteral("monospace")));
    layout->addWidget(m_log, 1);

    connect(&m_module, &VirtualModule::wireEvent, this, &ModuleWindow::onWireEvent);
    connect(&m_module, &VirtualModule::stateChanged, this, &ModuleWindow::refresh);
    // The clock and the countdown run on their own: refresh them regularly.
    connect(&m_refresh, &QTimer::timeout, this, &ModuleWindow::refresh);
    m_refresh.start(kRefreshMs);
    refresh();
    ui::clickButtonsOnEnter(this);
}

void ModuleWindow::setLamp(QLabel* lamp, bool on) {
    lamp->setStyleSheet(on ? QStringLiteral("background: #f03020; color: white;")
                           : QStringLiteral("background: #402020; color: #a08080;"));
    lamp->setProperty("on", on);
}

void ModuleWindow::refresh() {
    const ModuleState& s = m_module.state();
    const ShownDisplay shown = s.shown();
    m_display->setContent(shown.characters, shown.points);
    m_display->setFlashing(shown.flashing);
    setLamp(m_buzzer, s.buzzer());
    setLamp(m_output1, s.output1());
    setLamp(m_output2, s.output2());
    if (m_temperature->value() != s.temperature()) {
        const QSignalBlocker block(m_temperature);
        m_temperature->setValue(s.temperature());
    }

    const TimeOfDay c = s.clock();
    m_clock->setText(timeText(c.hours, c.minutes, c.seconds));
    const int left = s.countdownRemaining();
    const TimeOfDay i = s.countdownInterval();
    m_countdown->setText(
        QStringLiteral("%1 of %2, %3")
            .arg(timeText(left / 3600, left / 60 % 60, left % 60),
                 timeText(i.hours, i.minutes, i.seconds),
                 s.countdownRunning() ? QStringLiteral("running") : QStringLiteral("stopped")));
    m_counter->setText(
        QStringLiteral("%1, count %2")
            .arg(s.counterEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"))
            .arg(s.count()));
    m_function->setText(
        QStringLiteral("now %1, at start-up %2")
            .arg(QString::fromStdString(protocol::functionName(s.function())),
                 QString::fromStdString(protocol::functionName(s.startupFunction()))));
    const std::uint32_t panel = m_module.panelLineSpeed();
    m_line->setText(
        QStringLiteral("module %1 bit/s, line %2 bit/s%3")
            .arg(s.lineSpeed())
            .arg(panel == 0 ? QStringLiteral("?") : QString::number(panel))
            .arg(m_module.lineMatches() ? QString() : QStringLiteral(": mismatch, noise only")));
}

void ModuleWindow::onWireEvent(const WireEvent& event) {
    if (event.kind == WireEvent::Kind::Heard)
        m_lastFrame->setText(event.hex + QStringLiteral("  ") + event.words);
    m_log->appendPlainText(event.tag() + QLatin1Char(' ') + event.hex +
                           (event.hex.isEmpty() ? QString() : QStringLiteral("  ")) + event.words);
    refresh();
}

} // namespace veld::module
