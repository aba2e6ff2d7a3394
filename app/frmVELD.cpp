#include "app/frmVELD.h"

#include "app/AssignPortsDialog.h"
#include "app/TrafficWindow.h"
#include "protocol/CountdownInput.h"
#include "protocol/EventCount.h"
#include "protocol/ModuleLineSpeed.h"
#include "protocol/ReceiveDecoder.h"
#include "protocol/StartupFunction.h"
#include "protocol/Temperature.h"
#include "protocol/TextCommand.h"
#include "protocol/WireText.h"
#include "serial/PortMap.h"
#include "serial/SettingsStore.h"
#include "ui/CheckMarkMenu.h"
#include "ui/EnterClicks.h"
#include "ui_frmVELD.h"

#include <QActionGroup>
#include <QApplication>
#include <QCursor>
#include <QLayout>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QWindow>
#include <cstdio>

namespace veld::app {

using namespace Qt::StringLiterals;
using protocol::Command;
using serial::SettingsStore;

namespace {
const QString kComPortError = u"COM PORT ERROR"_s;
const QString kInputError = u"Input ERROR"_s;
const QString kSettingsError = u"SETTINGS ERROR"_s;
const QString kFileError = u"FILE ERROR"_s;
constexpr QChar kDegreeSign(0x00B0);

// The speeds of the items of "Baud Rate" and "Module Baud Rate", in menu order.
constexpr std::array<int, 5> kLineSpeeds{1200, 2400, 4800, 9600, 19200};

QActionGroup* exclusiveGroup(QObject* parent, std::initializer_list<QAction*> items) {
    auto* group = new QActionGroup(parent);
    for (QAction* item : items)
        group->addAction(item);
    return group;
}

QString twoDigits(std::uint8_t value) {
    QString text = QString::number(value);
    if (value < 10)
        text = u'0' + text;
    return text;
}

void setPointSize(QWidget* widget, double points) {
    QFont font = widget->font();
    font.setPointSizeF(points);
    widget->setFont(font);
}

// Clears an option button's selection, which its group's exclusivity
// otherwise forbids; no handler runs.
void deselect(QAbstractButton* option, QButtonGroup* group) {
    group->setExclusive(false);
    option->setChecked(false);
    group->setExclusive(true);
}
} // namespace

frmVELD::frmVELD(QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::frmVELD>())
    , Timer1(this)
    , Timer2(this) {
    ui->setupUi(this);
    setWindowTitle(windowTitle() + u" ("_s + QStringLiteral(VELD_WEB_ADDRESS) + u')');
    // What the form cannot hold: fractional point sizes and the window font's
    // letters set a shade closer, which keeps the longest one-line captions
    // inside their controls.
    for (QWidget* w : {static_cast<QWidget*>(ui->lblButton1), static_cast<QWidget*>(ui->lblButton2),
                       static_cast<QWidget*>(ui->lblButton3)})
        setPointSize(w, 9.75);
    for (QWidget* w : {static_cast<QWidget*>(ui->txtDigit), static_cast<QWidget*>(ui->lblUnit),
                       static_cast<QWidget*>(ui->lblCounter)})
        setPointSize(w, 15.75);
    QFont windowFont = font();
    windowFont.setLetterSpacing(QFont::PercentageSpacing, 98);
    setFont(windowFont);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    ui->txtDigit->setFocus();
    ui::clickButtonsOnEnter(this);
    // Ctrl+Q where the platform has a Quit key: as the close button does.
    connect(new QShortcut(QKeySequence::Quit, this), &QShortcut::activated, this, &QWidget::close);
#ifdef Q_OS_WIN
    // COMn is the system's own COMn: nothing to assign.
    const QList<QAction*> commItems = ui->mnuComm->actions();
    const qsizetype assign = commItems.indexOf(ui->mnuAssignPorts);
    if (assign > 0 && commItems[assign - 1]->isSeparator())
        ui->mnuComm->removeAction(commItems[assign - 1]);
    ui->mnuComm->removeAction(ui->mnuAssignPorts);
#endif
    m_portItems =
        exclusiveGroup(this, {ui->mnuCOM1, ui->mnuCOM2, ui->mnuCOM3, ui->mnuCOM4, ui->mnuCOM5});
    m_speedItems = exclusiveGroup(this, {ui->mnu12, ui->mnu24, ui->mnu48, ui->mnu96, ui->mnu192});
    ui->mnuComm->setToolTipsVisible(true);
    for (QMenu* menu : {ui->mnuComm, ui->mnuBaud})
        ui::drawCheckMarks(menu);
    refreshPortToolTips();

    for (QTimer* timer : {&Timer1, &Timer2})
        // On time, not coalesced: a coarse timer may drift 5 % either way.
        timer->setTimerType(Qt::PreciseTimer);
    Timer1.start(500);
    Timer2.start(2000);
    connectHandlers();
}

// The port closes first, while its last line can still be logged.
frmVELD::~frmVELD() {
    MSComm1.setPortOpen(false);
}

void frmVELD::setLogFile(const QString& path) {
    if (const QString cause = m_traffic.openLog(path); !cause.isEmpty())
        reportLogError(cause);
}

void frmVELD::reportLogError(const QString& cause) {
    std::fprintf(stderr, "veld: traffic log not written: %s\n", qUtf8Printable(cause));
    showMessage(kFileError, u"The traffic log cannot be written; the panel runs on without it"_s,
                cause);
}

void frmVELD::installFontSubstitutes() {
    QFont::insertSubstitutions(u"Tahoma"_s, {u"DejaVu Sans Condensed"_s, u"DejaVu Sans"_s});
    QFont::insertSubstitutions(
        u"Times New Roman"_s,
        {u"Liberation Serif"_s, u"DejaVu Serif Condensed"_s, u"DejaVu Serif"_s});
}

QMessageBox* frmVELD::informationBox(QWidget* parent, const QString& title, const QString& text,
                                     const QString& cause) {
    auto* box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box->setInformativeText(cause);
    return box;
}

void frmVELD::showInformationBox(QWidget* parent, const QString& title, const QString& text,
                                 const QString& cause) {
    const std::unique_ptr<QMessageBox> box(informationBox(parent, title, text, cause));
    box->exec();
}

void frmVELD::connectHandlers() {
    connect(&Timer1, &QTimer::timeout, this, &frmVELD::Timer1_Timer);
    connect(&Timer1, &QTimer::timeout, this, &frmVELD::reopenLostPort);
    connect(&MSComm1, &serial::MSComm::lost, this, &frmVELD::portLost);
    connect(&Timer2, &QTimer::timeout, this, &frmVELD::Timer2_Timer);

    connect(ui->cmdSendAscii, &QAbstractButton::clicked, this, &frmVELD::cmdSendAscii_Click);
    connect(ui->cmdSetDP, &QAbstractButton::clicked, this, &frmVELD::cmdSetDP_Click);
    connect(ui->cmdSetRTC, &QAbstractButton::clicked, this, &frmVELD::cmdSetRTC_Click);
    connect(ui->cmdCDSet, &QAbstractButton::clicked, this, &frmVELD::cmdCDSet_Click);
    connect(ui->cmdTemp, &QAbstractButton::clicked, this, &frmVELD::cmdTemp_Click);
    connect(ui->optCEL, &ui::OptionButton::chosen, this, &frmVELD::optCEL_Click);
    connect(ui->optFAH, &ui::OptionButton::chosen, this, &frmVELD::optFAH_Click);
    connect(ui->optCountEn, &ui::OptionButton::chosen, this, &frmVELD::optCountEn_Click);
    connect(ui->optCountDis, &ui::OptionButton::chosen, this, &frmVELD::optCountDis_Click);
    connect(ui->mnuAssignPorts, &QAction::triggered, this, &frmVELD::mnuAssignPorts_Click);
    connect(ui->mnuTraffic, &QAction::triggered, this, &frmVELD::mnuTraffic_Click);
    connect(&MSComm1, &serial::MSComm::lineEvent, &m_traffic, &TrafficLog::lineEvent);
    connect(&MSComm1, &serial::MSComm::frameWritten, &m_traffic, &TrafficLog::frameWritten);
    connect(&m_traffic, &TrafficLog::logFailed, this, &frmVELD::reportLogError);
    // A key stored or a variable set since the last look shows up at once.
    connect(ui->mnuComm, &QMenu::aboutToShow, this, &frmVELD::refreshPortToolTips);

    // The families: item n of each runs the family's handler with n.
    const std::array decimalPoints{ui->optOFFDP, ui->optDP1, ui->optDP2, ui->optDP3,
                                   ui->optDP4,   ui->optDP5, ui->optDP6};
    for (std::size_t n = 0; n < decimalPoints.size(); ++n)
        connect(decimalPoints[n], &ui::OptionButton::chosen, this,
                [this, n] { chooseDecimalPoint(static_cast<std::uint8_t>(n)); });
    const std::array moduleSpeedItems{ui->mnum12, ui->mnum24, ui->mnum48, ui->mnum96, ui->mnum192};
    for (int n = 1; n <= static_cast<int>(kLineSpeeds.size()); ++n) {
        connect(portItem(n), &QAction::triggered, this, [this, n] { selectPort(n); });
        connect(speedItem(n), &QAction::triggered, this, [this, n] { selectLineSpeed(n); });
        connect(moduleSpeedItems.at(static_cast<std::size_t>(n - 1)), &QAction::triggered, this,
                [this, n] { sendModuleLineSpeed(n); });
    }
    const std::array startupItems{ui->mnuF1, ui->mnuF2, ui->mnuF3, ui->mnuF4, ui->mnuF5, ui->mnuF6};
    for (int n = protocol::kFirstStartupFunction; n <= protocol::kLastStartupFunction; ++n)
        connect(startupItems.at(static_cast<std::size_t>(n - 1)), &QAction::triggered, this,
                [this, n] { sendStartupFunction(n); });
    // cmdFlash_Click, cmdOnBuz_Click, cmdOffBuz_Click, cmdOnOut_Click,
    // cmdOFFOut_Click, cmdOnOut2_Click, cmdOffOut2_Click, cmdStartStop_Click,
    // cmdReset_Click, cmdTimeStamp_Click: the control's frame, no data.
    const std::pair<QAbstractButton*, Command> fixedFrames[] = {
        {ui->cmdFlash, Command::ToggleFlashing}, {ui->cmdOnBuz, Command::BuzzerOn},
        {ui->cmdOffBuz, Command::BuzzerOff},     {ui->cmdOnOut, Command::Output1On},
        {ui->cmdOFFOut, Command::Output1Off},    {ui->cmdOnOut2, Command::Output2On},
        {ui->cmdOffOut2, Command::Output2Off},   {ui->cmdStartStop, Command::CountdownStartStop},
        {ui->cmdReset, Command::CountdownReset}, {ui->cmdTimeStamp, Command::TimeStampRequest},
    };
    for (const auto& fixed : fixedFrames)
        connect(fixed.first, &QAbstractButton::clicked, this,
                [this, command = fixed.second] { sendCommand(command); });
}

QPoint frmVELD::placedAt(const QSize& window, const QRect& available) {
    if (window.width() > available.width() || window.height() > available.height())
        return available.topLeft();
    return QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window, available).topLeft();
}

void frmVELD::placeOnScreen() {
    adjustSize();
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Centred, the client area goes there; at the top left, the frame does,
    // so that its title bar is on the screen too.
    const QRect available = screen->availableGeometry();
    const QPoint at = placedAt(size(), available);
    if (at == available.topLeft())
        move(at);
    else
        setGeometry(QRect(at, size()));
}

void frmVELD::showMessage(const QString& title, const QString& text, const QString& cause) {
    m_showMessage(this, title, text, cause);
}

void frmVELD::reportSettingsError() {
    if (m_settingsErrorShown)
        return;
    m_settingsErrorShown = true;
    showMessage(kSettingsError,
                u"The settings could not be stored in %1: %2. Your choice holds until the "
                "panel is closed."_s.arg(SettingsStore::filePath(), SettingsStore::lastError()));
}

void frmVELD::portLost(const QString& cause) {
    if (m_enabledBeforeLoss.empty()) {
        const std::array<QWidget*, 11> others{ui->cmdFlash,   ui->cmdOnBuz,     ui->cmdOffBuz,
                                              ui->cmdOnOut,   ui->cmdOFFOut,    ui->cmdOnOut2,
                                              ui->cmdOffOut2, ui->cmdStartStop, ui->cmdReset,
                                              ui->optCountEn, ui->optCountDis};
        for (QWidget* control : portDependentControls())
            m_enabledBeforeLoss.emplace_back(control, control->isEnabled());
        for (QWidget* control : others)
            m_enabledBeforeLoss.emplace_back(control, control->isEnabled());
    }
    for (const auto& [control, enabled] : m_enabledBeforeLoss)
        control->setEnabled(false);
    // One box per outage, and the panel goes on while it is open: the port
    // may come back before the user has read it.
    if (m_lossBox)
        return;
    m_lossBox = informationBox(
        this, kComPortError,
        u"%1 was disconnected. It will be reopened when it returns."_s.arg(MSComm1.lineName()),
        cause);
    m_lossBox->setAttribute(Qt::WA_DeleteOnClose);
    m_lossBox->open();
}

void frmVELD::reopenLostPort() {
    if (MSComm1.isLost() && MSComm1.reopenLost())
        endOutage();
}

void frmVELD::endOutage() {
    for (const auto& [control, enabled] : std::exchange(m_enabledBeforeLoss, {}))
        control->setEnabled(enabled);
    if (m_lossBox)
        m_lossBox->close();
}

void frmVELD::sendCommand(Command command, std::initializer_list<std::uint8_t> data) {
    const auto entry = protocol::findCommand(protocol::codeOf(command));
    if (!entry || entry->dataBytes != data.size())
        return;
    sendFrame(protocol::buildFrame(m_frameHeader, protocol::codeOf(command), data));
}

void frmVELD::sendFrame(const protocol::Bytes& frame, const QString& sender) {
    const auto entry = protocol::findCommand(frame.at(1));
    if (!entry)
        return;
    if (entry->send == protocol::SendRule::Unguarded || MSComm1.portOpen()) {
        m_lastCommand = frame;
        m_traffic.setSender(sender);
        MSComm1.setOutput(m_lastCommand);
        m_traffic.setSender({});
    }
    if (entry->polling == protocol::PollingEffect::Clears)
        m_temperaturePolling = 0;
}

std::array<QWidget*, 9> frmVELD::portDependentControls() const {
    return {ui->cmdSendAscii, ui->cmdSetDP, ui->cmdSetRTC, ui->cmdTemp, ui->cmdCDSet,
            ui->cmdTimeStamp, ui->mnuBaud,  ui->mnuMbaud,  ui->mnuStart};
}

void frmVELD::setPortDependentEnabled(bool enabled) {
    for (QWidget* control : portDependentControls())
        control->setEnabled(enabled);
}

QAction* frmVELD::portItem(int n) const {
    return m_portItems->actions().at(n - 1);
}

QAction* frmVELD::speedItem(int n) const {
    return m_speedItems->actions().at(n - 1);
}

void frmVELD::setCountdownButtonsEnabled(bool enabled) {
    ui->cmdStartStop->setEnabled(enabled);
    ui->cmdReset->setEnabled(enabled);
}

// ---- Start-up -------------------------------------------------------------

void frmVELD::Form_Load(const cli::PortChoice& startPort) {
    // Continue on error: every step is tried, any failure is remembered, and
    // the first is kept for the box: it names COM1 whatever was tried, the
    // cause under it names the port.
    bool failed = false;
    QString cause;
    const auto step = [&](bool ok) {
        if (!ok && !failed)
            cause = MSComm1.failure();
        failed |= !ok;
    };
    QCoreApplication::setApplicationName(u"VELD"_s);
    step(MSComm1.setInputLen(0));
    step(MSComm1.setInputMode(serial::MSComm::kInputModeBinary));
    m_frameHeader = protocol::kFrameHeader;

    using Kind = cli::PortChoice::Kind;
    const SettingsStore::StoredPort port =
        startPort.kind == Kind::Stored ? SettingsStore::storedPort()
        : startPort.kind == Kind::Path
            ? SettingsStore::StoredPort{}
            : SettingsStore::StoredPort{QString::number(startPort.comNumber), startPort.comNumber,
                                        true};
    const QString settings = SettingsStore::storedLineSettings();
    if (!port.text.isEmpty()) {
        if (!port.number && !failed)
            cause = u"the stored port \"%1\" is not a port number"_s.arg(port.text);
        failed |= !port.number;
        if (port.number)
            step(MSComm1.setCommPort(*port.number));
    }
    step(MSComm1.setSettings(settings));
    step(startPort.kind == Kind::Path ? MSComm1.openPath(startPort.path)
                                      : MSComm1.setPortOpen(true));

    if (failed) {
        showMessage(kComPortError, u"COM1 Not Available, Please Select Another Port"_s, cause);
        setPortDependentEnabled(false);
        deselect(ui->optCountEn, ui->counterGroup);
    } else {
        ui->optCountDis->click();
    }

    if (port.number && *port.number >= serial::kFirstPort && *port.number <= serial::kLastPort)
        portItem(*port.number)->setChecked(true);
    for (std::size_t i = 0; i < kLineSpeeds.size(); ++i)
        if (settings == serial::lineSettingsText(kLineSpeeds[i]))
            speedItem(static_cast<int>(i) + 1)->setChecked(true);

    ui->optCEL->click();
    ui->optOFFDP->click();
    ui->lblTemp->setText(QString());
}

// ---- Poll timers ----------------------------------------------------------

void frmVELD::Timer1_Timer() {
    const QTime time = m_clock();
    const QString now =
        QString::fromStdString(protocol::timeText(time.hour(), time.minute(), time.second()));
    if (ui->lblTIME->text() != now)
        ui->lblTIME->setText(now);

    if (MSComm1.inBufferCount() == 0)
        for (QLabel* label : {ui->lblButton1, ui->lblButton2, ui->lblButton3})
            label->setVisible(false);
    if (MSComm1.inBufferCount() < 4)
        return;

    const QByteArray read = MSComm1.input();
    const protocol::DecodedRead decoded =
        m_reads.decode(std::span(reinterpret_cast<const std::uint8_t*>(read.constData()),
                                 static_cast<std::size_t>(read.size())));
    m_traffic.readTaken(decoded);
    for (const protocol::ModuleMessage& message : decoded.messages) {
        showModuleMessage(message);
        m_control.messageDecoded(message);
    }
}

void frmVELD::showModuleMessage(const protocol::ModuleMessage& message) {
    using protocol::MessageKind;
    switch (message.kind) {
    case MessageKind::TemperatureAtOrAboveZero:
        m_celsius = message.celsius;
        m_fahrenheit = protocol::fahrenheitAtOrAboveZero(message.celsius);
        showTemperature(QString::number(message.celsius));
        break;
    case MessageKind::TemperatureBelowZero:
        m_celsius = static_cast<std::int16_t>(-message.celsius);
        m_fahrenheit = protocol::fahrenheitBelowZero(message.celsius);
        showTemperature(u'-' + QString::number(message.celsius));
        break;
    case MessageKind::CounterEvent:
        m_eventCount = protocol::nextEventCount(m_eventCount);
        ui->lblCounter->setText(QString::number(m_eventCount));
        break;
    case MessageKind::CounterReset:
        m_eventCount = 0;
        ui->lblCounter->setText(u"0"_s);
        break;
    case MessageKind::ButtonPressed: {
        const std::array<QLabel*, 3> labels{ui->lblButton1, ui->lblButton2, ui->lblButton3};
        if (message.button >= 1 && message.button <= 3)
            labels[static_cast<std::size_t>(message.button - 1)]->setVisible(true);
        break;
    }
    case MessageKind::TimeStamp:
        ui->lblSec->setText(twoDigits(message.seconds));
        ui->lblMin->setText(twoDigits(message.minutes));
        ui->lblHour->setText(QString::number(message.hours));
        break;
    }
}

// The reading just stored, in the unit whose option is selected now.
void frmVELD::showTemperature(const QString& celsiusText) {
    if (ui->optCEL->isChecked())
        ui->lblTemp->setText(celsiusText);
    if (ui->optFAH->isChecked())
        ui->lblTemp->setText(QString::number(m_fahrenheit));
}

void frmVELD::Timer2_Timer() {
    if (m_temperaturePolling != 1)
        return;
    sendCommand(Command::TemperatureRequest);
}

// ---- Display text and decimal point ---------------------------------------

void frmVELD::cmdSendAscii_Click() {
    ui->lblTemp->setText(QString());
    m_temperaturePolling = 0;
    const std::u16string text = ui->txtDigit->text().toStdU16String();
    m_lastCommand = protocol::textBytes(text);
    if (!MSComm1.portOpen()) {
        showMessage(kComPortError, u"Com Port Not Available"_s);
    } else {
        if (!text.empty())
            m_lastCommand = protocol::buildTextFrame(m_frameHeader, text);
        MSComm1.setOutput(m_lastCommand);
    }
    ui->txtDigit->setText(QString());
}

void frmVELD::cmdSetDP_Click() {
    sendCommand(Command::DecimalPoint, {m_decimalPoint});
    setCountdownButtonsEnabled(false);
}

// ---- Clock and countdown --------------------------------------------------

void frmVELD::cmdSetRTC_Click() {
    ui->lblTemp->setText(QString());
    const QTime now = m_clock();
    const auto data = protocol::TimePayload{static_cast<std::uint8_t>(now.second()),
                                            static_cast<std::uint8_t>(now.minute()),
                                            static_cast<std::uint8_t>(now.hour())}
                          .data();
    sendCommand(Command::SetClock, {data[0], data[1], data[2]});
    setCountdownButtonsEnabled(false);
}

void frmVELD::cmdCDSet_Click() {
    ui->lblTemp->setText(QString());
    m_temperaturePolling = 0;
    const QString separator = QLocale().decimalPoint();
    const auto result = protocol::convertInterval(
        ui->txtCDHour->text().toStdU16String(), ui->txtCDMin->text().toStdU16String(),
        ui->txtCDSec->text().toStdU16String(),
        separator.size() == 1 ? separator.at(0).unicode() : u'.');
    if (!result.payload) {
        showMessage(kInputError, result.error == protocol::IntervalError::NotNumeric
                                     ? u"Please Key In Numeric Value"_s
                                     : u"Please Key In Values From 0 To 255"_s);
        for (QLineEdit* box : {ui->txtCDMin, ui->txtCDSec, ui->txtCDHour})
            box->setText(QString());
        return;
    }
    const auto data = result.payload->data();
    sendCommand(Command::CountdownInterval, {data[0], data[1], data[2]});
    setCountdownButtonsEnabled(true);
}

// ---- Thermometer and event counter ----------------------------------------

void frmVELD::cmdTemp_Click() {
    m_temperaturePolling = 1;
    setCountdownButtonsEnabled(false);
}

void frmVELD::optCEL_Click() {
    ui->lblUnit->setText(kDegreeSign + u" C"_s);
    ui->lblTemp->setText(QString::number(m_celsius));
}

void frmVELD::optFAH_Click() {
    ui->lblUnit->setText(kDegreeSign + u" F"_s);
    ui->lblTemp->setText(QString::number(m_fahrenheit));
}

void frmVELD::optCountEn_Click() {
    m_eventCount = 0;
    ui->lblCounter->setText(QString::number(m_eventCount));
    ui->lblTemp->setText(QString());
    sendCommand(Command::CounterEnable);
}

void frmVELD::optCountDis_Click() {
    m_eventCount = 0;
    ui->lblCounter->setText(u"0000"_s);
    sendCommand(Command::CounterDisable);
}

// ---- The module's own settings ---------------------------------------------

// Item n of "Module Baud Rate", 1 to 5.
void frmVELD::sendModuleLineSpeed(int item) {
    const auto byte =
        protocol::moduleLineSpeedByte(kLineSpeeds.at(static_cast<std::size_t>(item - 1)));
    if (byte)
        sendCommand(Command::ModuleLineSpeed, {*byte});
}

// Item Fn of "Startup Function", 1 to 6.
void frmVELD::sendStartupFunction(int item) {
    if (const auto byte = protocol::startupFunctionByte(item))
        sendCommand(Command::StartupFunction, {*byte});
}

// ---- Port and line settings -----------------------------------------------

void frmVELD::selectPort(int portNumber) {
    // Continue on error: both steps are tried, any failure is remembered. The
    // item's check mark has moved already.
    const bool numberTaken = MSComm1.setCommPort(portNumber);
    QString cause = MSComm1.failure();
    const bool opened = MSComm1.setPortOpen(true);
    if (numberTaken)
        cause = MSComm1.failure();
    if (!numberTaken || !opened) {
        showMessage(kComPortError, u"Port Not Available,Please select Another Port "_s, cause);
        return;
    }
    if (!SettingsStore::storePort(portNumber))
        reportSettingsError();
    endOutage();
    setPortDependentEnabled(true);
}

void frmVELD::refreshPortToolTips() {
    for (int n = serial::kFirstPort; n <= serial::kLastPort; ++n)
        portItem(n)->setToolTip(serial::deviceForPort(n).value_or(QString()));
}

// The device of each COM item; no port is opened or closed here, the next
// pick of an item opens its new device.
void frmVELD::mnuAssignPorts_Click() {
    AssignPortsDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted && dialog.storeFailed())
        reportSettingsError();
}

void frmVELD::mnuTraffic_Click() {
    if (m_trafficWindow) {
        m_trafficWindow->raise();
        m_trafficWindow->activateWindow();
        return;
    }
    m_trafficWindow = new TrafficWindow(
        m_traffic,
        [this](QWidget* parent, const QString& cause) {
            m_showMessage(parent, kFileError, u"The traffic could not be saved"_s, cause);
        },
        this);
    connect(m_trafficWindow, &TrafficWindow::closing, this, [this](const QRect& place) {
        // Gone for the next pick even before its deletion comes round.
        m_trafficWindow = nullptr;
        m_traffic.setWatched(false);
        if (!SettingsStore::storeTrafficPlace(place))
            reportSettingsError();
    });
    const QScreen* screen = this->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    const QRect stored = SettingsStore::storedTrafficPlace().value_or(QRect());
    // Placed as a frame inside the free area, title bar and buttons on the
    // screen; the panel's frame margins stand in for its own, which it gets
    // only when shown.
    const QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QRect frame =
        available.intersects(stored)
            ? TrafficWindow::inside(stored + margins, available)
            : TrafficWindow::besidePanel(frameGeometry(), m_trafficWindow->size().grownBy(margins),
                                         m_trafficWindow->minimumSizeHint().width() +
                                             margins.left() + margins.right(),
                                         available);
    m_trafficWindow->setGeometry(frame - margins);
    m_traffic.setWatched(true);
    m_trafficWindow->show();
}

// Item n of "Baud Rate", 1 to 5.
void frmVELD::selectLineSpeed(int item) {
    const QString settings =
        serial::lineSettingsText(kLineSpeeds.at(static_cast<std::size_t>(item - 1)));
    // The control logs a refusal; this menu shows no message.
    MSComm1.setSettings(settings);
    if (!SettingsStore::storeLineSettings(settings))
        reportSettingsError();
}

} // namespace veld::app
