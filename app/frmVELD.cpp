#include "app/frmVELD.h"

#include "app/AssignPortsDialog.h"
#include "app/HandlerRules.h"
#include "app/PanelFonts.h"
#include "app/PanelSettings.h"
#include "app/Placement.h"
#include "app/PortMenus.h"
#include "app/Senders.h"
#include "app/TrafficWindow.h"
#include "common/ByteSpan.h"
#include "protocol/CountdownInput.h"
#include "protocol/ModuleLineSpeed.h"
#include "protocol/StartupFunction.h"
#include "protocol/TextCommand.h"
#include "protocol/WireText.h"
#include "serial/PortMap.h"
#include "serial/SettingsStore.h"
#include "ui/EnterClicks.h"
#include "ui_frmVELD.h"

#include <QApplication>
#include <QLayout>
#include <QLocale>
#include <QShortcut>

namespace veld::app {

using namespace Qt::StringLiterals;
using protocol::Command;
using serial::SettingsStore;

namespace {
const QString kComPortError = u"COM PORT ERROR"_s;
const QString kInputError = u"Input ERROR"_s;

std::unique_ptr<Ui::frmVELD> formOn(QMainWindow* window) {
    auto form = std::make_unique<Ui::frmVELD>();
    form->setupUi(window);
    return form;
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
    , ui(formOn(this))
    , Timer1(this)
    , Timer2(this)
    , m_reports(this)
    , m_readings(*ui)
    , m_outage(this, senderControls(*ui))
    , m_menus(new PortMenus(*ui, this)) {
    setWindowTitle(windowTitle() + u" ("_s + QStringLiteral(VELD_WEB_ADDRESS) + u')');
    applyPanelFonts(*ui, *this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    ui->txtDigit->setFocus();
    ui::clickButtonsOnEnter(this);
    // Ctrl+Q where the platform has a Quit key: as the close button does.
    connect(new QShortcut(QKeySequence::Quit, this), &QShortcut::activated, this, &QWidget::close);

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
    m_traffic.openLog(path); // a failure is told through logFailed
}

void frmVELD::connectHandlers() {
    connect(&Timer1, &QTimer::timeout, this, &frmVELD::Timer1_Timer);
    connect(&Timer1, &QTimer::timeout, this, &frmVELD::reopenLostPort);
    connect(&MSComm1, &serial::MSComm::lost, this,
            [this](const QString& cause) { m_outage.lost(MSComm1.lineName(), cause); });
    connect(&MSComm1, &serial::MSComm::lineEvent, this, [this] { m_reads.reset(); });
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
    connect(&MSComm1, &serial::MSComm::frameWritten, &m_traffic,
            [this](const protocol::Bytes& frame, const QString& trouble) {
                m_traffic.frameWritten(frame, trouble, m_frameSender);
            });
    connect(&m_traffic, &TrafficLog::logFailed, this,
            [this](const QString& cause) { m_reports.logNotWritten(cause); });

    // The families: item n of each runs the family's handler with n.
    const std::array decimalPoints{ui->optOFFDP, ui->optDP1, ui->optDP2, ui->optDP3,
                                   ui->optDP4,   ui->optDP5, ui->optDP6};
    for (std::size_t n = 0; n < decimalPoints.size(); ++n)
        connect(decimalPoints[n], &ui::OptionButton::chosen, this,
                [this, n] { chooseDecimalPoint(static_cast<std::uint8_t>(n)); });
    const std::array moduleSpeedItems{ui->mnum12, ui->mnum24, ui->mnum48, ui->mnum96, ui->mnum192};
    for (int n = 1; n <= static_cast<int>(moduleSpeedItems.size()); ++n) {
        connect(m_menus->portItem(n), &QAction::triggered, this, [this, n] { selectPort(n); });
        connect(m_menus->speedItem(n), &QAction::triggered, this,
                [this, n] { selectLineSpeed(n); });
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
    for (const Sender& sender : senders(*ui))
        if (sender.frame)
            connect(static_cast<QAbstractButton*>(sender.control), &QAbstractButton::clicked, this,
                    [this, command = *sender.frame] { sendCommand(command); });
}

void frmVELD::placeOnScreen(Company company) {
    app::placeOnScreen(*this, availableUnderPointer(), company);
}

void frmVELD::reopenLostPort() {
    if (MSComm1.isLost() && MSComm1.reopenLost())
        m_outage.end();
}

void frmVELD::sendCommand(Command command, std::initializer_list<std::uint8_t> data) {
    const auto entry = protocol::findCommand(protocol::codeOf(command));
    if (!entry || entry->dataBytes != data.size())
        return;
    sendFrame(protocol::buildFrame(m_frameHeader, protocol::codeOf(command), data));
}

void frmVELD::sendFrame(const protocol::Bytes& frame, const QString& sender) {
    const auto entry =
        frame.size() >= 3 ? protocol::findCommand(protocol::byteAt(frame, 1)) : std::nullopt;
    if (!entry)
        return;
    const HandlerRule rule = handlerRule(entry->command);
    if (rule.send == SendRule::Unguarded || MSComm1.portOpen()) {
        m_lastCommand = frame;
        m_frameSender = sender;
        MSComm1.setOutput(m_lastCommand);
        m_frameSender.clear();
    }
    if (rule.polling == PollingEffect::Clears)
        m_temperaturePolling = 0;
}

void frmVELD::setPortDependentEnabled(bool enabled) {
    const auto all = senders(*ui);
    for (std::size_t i = 0; i < kPortDependentSenders; ++i)
        all.at(i).control->setEnabled(enabled);
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

    const SettingsStore::StoredPort port = startingPort(startPort);
    const QString settings = SettingsStore::storedLineSettings();
    if (!port.text.isEmpty()) {
        if (!port.number && !failed)
            cause = u"the stored port \"%1\" is not a port number"_s.arg(port.text);
        failed |= !port.number;
        if (port.number)
            step(MSComm1.setCommPort(*port.number));
    }
    step(MSComm1.setSettings(settings));
    step(startPort.kind == cli::PortChoice::Kind::Path ? MSComm1.openPath(startPort.path)
                                                       : MSComm1.setPortOpen(true));

    if (failed) {
        m_reports.show(kComPortError, u"COM1 Not Available, Please Select Another Port"_s, cause);
        setPortDependentEnabled(false);
        deselect(ui->optCountEn, ui->counterGroup);
    } else {
        ui->optCountDis->click();
    }

    m_menus->markStored(port.number, settings);

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

    const protocol::DecodedRead decoded = m_reads.decode(common::byteSpan(MSComm1.input()));
    m_traffic.readTaken(decoded);
    for (const protocol::ModuleMessage& message : decoded.messages) {
        m_readings.show(message);
        m_control.messageDecoded(message);
    }
}

void frmVELD::Timer2_Timer() {
    if (m_temperaturePolling == 1)
        sendCommand(Command::TemperatureRequest);
}

// ---- Display text and decimal point ---------------------------------------

void frmVELD::cmdSendAscii_Click() {
    ui->lblTemp->setText(QString());
    m_temperaturePolling = 0;
    const std::u16string text = ui->txtDigit->text().toStdU16String();
    m_lastCommand = protocol::textBytes(text);
    if (!MSComm1.portOpen()) {
        m_reports.show(kComPortError, u"Com Port Not Available"_s);
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
        m_reports.show(kInputError, result.error == protocol::IntervalError::NotNumeric
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
    m_readings.showCelsius();
}

void frmVELD::optFAH_Click() {
    m_readings.showFahrenheit();
}

void frmVELD::optCountEn_Click() {
    m_readings.resetCount(u"0"_s);
    ui->lblTemp->setText(QString());
    sendCommand(Command::CounterEnable);
}

void frmVELD::optCountDis_Click() {
    m_readings.resetCount(u"0000"_s);
    sendCommand(Command::CounterDisable);
}

// ---- The module's own settings ---------------------------------------------

// Item n of "Module Baud Rate", 1 to 5.
void frmVELD::sendModuleLineSpeed(int item) {
    if (const auto byte = protocol::moduleLineSpeedByte(PortMenus::speedOfItem(item)))
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
        m_reports.show(kComPortError, u"Port Not Available,Please select Another Port "_s, cause);
        return;
    }
    if (!SettingsStore::storePort(portNumber))
        m_reports.settingsNotStored();
    m_outage.end();
    setPortDependentEnabled(true);
}

// The device of each COM item; no port is opened or closed here, the next
// pick of an item opens its new device.
void frmVELD::mnuAssignPorts_Click() {
    AssignPortsDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted && dialog.storeFailed())
        m_reports.settingsNotStored();
}

void frmVELD::mnuTraffic_Click() {
    if (m_trafficWindow) {
        m_trafficWindow->raise();
        m_trafficWindow->activateWindow();
        return;
    }
    m_trafficWindow = TrafficWindow::openBeside(*this, m_traffic, m_reports);
    // Gone for the next pick even before its deletion comes round.
    connect(m_trafficWindow, &TrafficWindow::closing, this, [this] { m_trafficWindow = nullptr; });
}

// Item n of "Baud Rate", 1 to 5.
void frmVELD::selectLineSpeed(int item) {
    const QString settings =
        serial::lineSettingsText(static_cast<qint32>(PortMenus::speedOfItem(item)));
    // The control logs a refusal; this menu shows no message.
    MSComm1.setSettings(settings);
    if (!SettingsStore::storeLineSettings(settings))
        m_reports.settingsNotStored();
}

} // namespace veld::app
