#include "app/frmVELD.h"

#include "app/AssignPortsDialog.h"
#include "app/PortNumberText.h"
#include "protocol/CountdownInput.h"
#include "protocol/EventCount.h"
#include "protocol/ModuleLineSpeed.h"
#include "protocol/ReceiveDecoder.h"
#include "protocol/StartupFunction.h"
#include "protocol/Temperature.h"
#include "protocol/TextCommand.h"
#include "serial/PortMap.h"
#include "serial/SettingsStore.h"
#include "ui_frmVELD.h"

#include <QApplication>
#include <QLayout>
#include <QLocale>
#include <QScreen>
#include <QStyle>

namespace veld::app {

using namespace Qt::StringLiterals;
using protocol::Command;
using serial::SettingsStore;

namespace {
const QString kComPortError = u"COM PORT ERROR"_s;
const QString kInputError = u"Input ERROR"_s;
const QString kSettingsError = u"SETTINGS ERROR"_s;
const QString kDefaultCommPort = u"1"_s;
const QString kDefaultSettings = u"9600,n,8,1"_s;
constexpr auto kCommPortKey = u"CommPort";
constexpr auto kSettingsKey = u"Settings";
constexpr QChar kDegreeSign(0x00B0);

// The speeds of the items of "Baud Rate" and "Module Baud Rate", in menu order.
constexpr std::array<int, 5> kLineSpeeds{1200, 2400, 4800, 9600, 19200};

QString lineSettingsText(int bitsPerSecond) {
    return QString::number(bitsPerSecond) + u",n,8,1"_s;
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
#ifdef Q_OS_WIN
    // COMn is the system's own COMn: nothing to assign.
    const QList<QAction*> commItems = ui->mnuComm->actions();
    const qsizetype assign = commItems.indexOf(ui->mnuAssignPorts);
    if (assign > 0 && commItems[assign - 1]->isSeparator())
        ui->mnuComm->removeAction(commItems[assign - 1]);
    ui->mnuComm->removeAction(ui->mnuAssignPorts);
#endif
    ui->mnuComm->setToolTipsVisible(true);
    refreshPortToolTips();

    Timer1.setObjectName(u"Timer1"_s);
    Timer2.setObjectName(u"Timer2"_s);
    for (QTimer* timer : {&Timer1, &Timer2})
        // On time, not coalesced: a coarse timer may drift 5 % either way.
        timer->setTimerType(Qt::PreciseTimer);
    Timer1.start(500);
    Timer2.start(2000);
    connectHandlers();
}

frmVELD::~frmVELD() = default;

void frmVELD::connectHandlers() {
    const auto onClick = [this](QAbstractButton* button, void (frmVELD::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, handler);
    };
    const auto onChoice = [this](ui::OptionButton* option, void (frmVELD::*handler)()) {
        connect(option, &ui::OptionButton::chosen, this, handler);
    };
    const auto onPick = [this](QAction* item, void (frmVELD::*handler)()) {
        connect(item, &QAction::triggered, this, handler);
    };
    connect(&Timer1, &QTimer::timeout, this, &frmVELD::Timer1_Timer);
    connect(&Timer1, &QTimer::timeout, this, &frmVELD::reopenLostPort);
    connect(&MSComm1, &serial::MSComm::lost, this, &frmVELD::portLost);
    connect(&Timer2, &QTimer::timeout, this, &frmVELD::Timer2_Timer);

    onClick(ui->cmdSendAscii, &frmVELD::cmdSendAscii_Click);
    onClick(ui->cmdSetDP, &frmVELD::cmdSetDP_Click);
    onChoice(ui->optDP1, &frmVELD::optDP1_Click);
    onChoice(ui->optDP2, &frmVELD::optDP2_Click);
    onChoice(ui->optDP3, &frmVELD::optDP3_Click);
    onChoice(ui->optDP4, &frmVELD::optDP4_Click);
    onChoice(ui->optDP5, &frmVELD::optDP5_Click);
    onChoice(ui->optDP6, &frmVELD::optDP6_Click);
    onChoice(ui->optOFFDP, &frmVELD::optOFFDP_Click);
    onClick(ui->cmdSetRTC, &frmVELD::cmdSetRTC_Click);
    onClick(ui->cmdTimeStamp, &frmVELD::cmdTimeStamp_Click);
    onClick(ui->cmdCDSet, &frmVELD::cmdCDSet_Click);
    onClick(ui->cmdStartStop, &frmVELD::cmdStartStop_Click);
    onClick(ui->cmdReset, &frmVELD::cmdReset_Click);
    onClick(ui->cmdTemp, &frmVELD::cmdTemp_Click);
    onChoice(ui->optCEL, &frmVELD::optCEL_Click);
    onChoice(ui->optFAH, &frmVELD::optFAH_Click);
    onChoice(ui->optCountEn, &frmVELD::optCountEn_Click);
    onChoice(ui->optCountDis, &frmVELD::optCountDis_Click);
    onClick(ui->cmdFlash, &frmVELD::cmdFlash_Click);
    onClick(ui->cmdOnBuz, &frmVELD::cmdOnBuz_Click);
    onClick(ui->cmdOffBuz, &frmVELD::cmdOffBuz_Click);
    onClick(ui->cmdOnOut, &frmVELD::cmdOnOut_Click);
    onClick(ui->cmdOFFOut, &frmVELD::cmdOFFOut_Click);
    onClick(ui->cmdOnOut2, &frmVELD::cmdOnOut2_Click);
    onClick(ui->cmdOffOut2, &frmVELD::cmdOffOut2_Click);
    onPick(ui->mnuCOM1, &frmVELD::mnuCOM1_Click);
    onPick(ui->mnuCOM2, &frmVELD::mnuCOM2_Click);
    onPick(ui->mnuCOM3, &frmVELD::mnuCOM3_Click);
    onPick(ui->mnuCOM4, &frmVELD::mnuCOM4_Click);
    onPick(ui->mnuCOM5, &frmVELD::mnuCOM5_Click);
    onPick(ui->mnuAssignPorts, &frmVELD::mnuAssignPorts_Click);
    // A key stored or a variable set since the last look shows up at once.
    connect(ui->mnuComm, &QMenu::aboutToShow, this, &frmVELD::refreshPortToolTips);
    onPick(ui->mnu12, &frmVELD::mnu12_Click);
    onPick(ui->mnu24, &frmVELD::mnu24_Click);
    onPick(ui->mnu48, &frmVELD::mnu48_Click);
    onPick(ui->mnu96, &frmVELD::mnu96_Click);
    onPick(ui->mnu192, &frmVELD::mnu192_Click);
    onPick(ui->mnum12, &frmVELD::mnum12_Click);
    onPick(ui->mnum24, &frmVELD::mnum24_Click);
    onPick(ui->mnum48, &frmVELD::mnum48_Click);
    onPick(ui->mnum96, &frmVELD::mnum96_Click);
    onPick(ui->mnum192, &frmVELD::mnum192_Click);
    onPick(ui->mnuF1, &frmVELD::mnuF1_Click);
    onPick(ui->mnuF2, &frmVELD::mnuF2_Click);
    onPick(ui->mnuF3, &frmVELD::mnuF3_Click);
    onPick(ui->mnuF4, &frmVELD::mnuF4_Click);
    onPick(ui->mnuF5, &frmVELD::mnuF5_Click);
    onPick(ui->mnuF6, &frmVELD::mnuF6_Click);
}

void frmVELD::centreOnScreen() {
    adjustSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
}

void frmVELD::showMessage(const QString& title, const QString& text, const QString& detail) {
    m_showMessage(this, title, text, detail);
}

void frmVELD::reportSettingsError() {
    if (m_settingsErrorShown)
        return;
    m_settingsErrorShown = true;
    showMessage(kSettingsError,
                u"The settings could not be stored in %1: %2. Your choice holds until the "
                "panel is closed."_s.arg(SettingsStore::filePath(), SettingsStore::lastError()));
}

void frmVELD::storeProperty(QStringView key, const QString& value) {
    if (!SettingsStore::write(SettingsStore::kProperties, key, value))
        reportSettingsError();
}

void frmVELD::portLost(const QString& cause) {
    setPortDependentEnabled(false);
    showMessage(
        kComPortError,
        u"%1 was disconnected. It will be reopened when it returns."_s.arg(MSComm1.lineName()),
        cause);
}

void frmVELD::reopenLostPort() {
    if (MSComm1.isLost() && MSComm1.reopenLost())
        setPortDependentEnabled(true);
}

void frmVELD::sendCommand(Command command, std::initializer_list<std::uint8_t> data) {
    const auto entry = protocol::findCommand(protocol::codeOf(command));
    if (!entry || entry->dataBytes != data.size())
        return;
    if (entry->send == protocol::SendRule::Unguarded || MSComm1.portOpen()) {
        m_lastCommand = protocol::buildFrame(m_frameHeader, protocol::codeOf(command), data);
        MSComm1.setOutput(m_lastCommand);
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

void frmVELD::setCountdownButtonsEnabled(bool enabled) {
    ui->cmdStartStop->setEnabled(enabled);
    ui->cmdReset->setEnabled(enabled);
}

std::array<QAction*, 5> frmVELD::portItems() const {
    return {ui->mnuCOM1, ui->mnuCOM2, ui->mnuCOM3, ui->mnuCOM4, ui->mnuCOM5};
}

std::array<QAction*, 5> frmVELD::speedItems() const {
    return {ui->mnu12, ui->mnu24, ui->mnu48, ui->mnu96, ui->mnu192};
}

void frmVELD::checkOnly(const std::array<QAction*, 5>& group, int n) {
    for (std::size_t i = 0; i < group.size(); ++i)
        group[i]->setChecked(static_cast<int>(i) + 1 == n);
}

// ---- Start-up -------------------------------------------------------------

void frmVELD::Form_Load() {
    // Continue on error: every step is tried, any failure is remembered, and
    // the first cause is kept for the message's detail.
    bool failed = false;
    QString cause;
    const auto step = [&](bool ok) {
        if (!ok && !failed)
            cause = MSComm1.failureCause();
        failed |= !ok;
    };
    QCoreApplication::setApplicationName(u"VELD"_s);
    step(MSComm1.setInputLen(0));
    step(MSComm1.setInputMode(serial::MSComm::kInputModeBinary));
    m_frameHeader = protocol::kFrameHeader;

    const QString port =
        SettingsStore::read(SettingsStore::kProperties, kCommPortKey, kDefaultCommPort);
    const QString settings =
        SettingsStore::read(SettingsStore::kProperties, kSettingsKey, kDefaultSettings);
    if (!port.isEmpty()) {
        const auto number = portNumberFromText(port);
        if (!number && !failed)
            cause = u"the stored port \"%1\" is not a port number"_s.arg(port);
        failed |= !number;
        if (number)
            step(MSComm1.setCommPort(*number));
    }
    step(MSComm1.setSettings(settings));
    step(MSComm1.setPortOpen(true));

    if (failed) {
        showMessage(kComPortError, u"COM1 Not Available, Please Select Another Port"_s, cause);
        setPortDependentEnabled(false);
        deselect(ui->optCountEn, ui->counterGroup);
    } else {
        ui->optCountDis->click();
    }

    if (const auto number = portNumberFromText(port);
        number && *number >= serial::kFirstPort && *number <= serial::kLastPort)
        checkOnly(portItems(), *number);
    for (std::size_t i = 0; i < kLineSpeeds.size(); ++i)
        if (settings == lineSettingsText(kLineSpeeds[i]))
            checkOnly(speedItems(), static_cast<int>(i) + 1);

    ui->optCEL->click();
    ui->optOFFDP->click();
    ui->lblTemp->setText(QString());
}

// ---- Poll timers ----------------------------------------------------------

void frmVELD::Timer1_Timer() {
    const QString now = m_clock().toString(u"h:mm:ss"_s);
    if (ui->lblTIME->text() != now)
        ui->lblTIME->setText(now);

    if (MSComm1.inBufferCount() == 0)
        for (QLabel* label : {ui->lblButton1, ui->lblButton2, ui->lblButton3})
            label->setVisible(false);
    if (MSComm1.inBufferCount() < 4)
        return;

    const QByteArray read = MSComm1.input();
    const auto message =
        protocol::decodeMessage(std::span(reinterpret_cast<const std::uint8_t*>(read.constData()),
                                          static_cast<std::size_t>(read.size())));
    if (!message)
        return;

    using protocol::MessageKind;
    switch (message->kind) {
    case MessageKind::TemperatureAtOrAboveZero:
        m_celsius = message->celsius;
        m_fahrenheit = protocol::fahrenheitAtOrAboveZero(message->celsius);
        showTemperature(QString::number(message->celsius));
        break;
    case MessageKind::TemperatureBelowZero:
        m_celsius = static_cast<std::int16_t>(-message->celsius);
        m_fahrenheit = protocol::fahrenheitBelowZero(message->celsius);
        showTemperature(u'-' + QString::number(message->celsius));
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
        if (message->button >= 1 && message->button <= 3)
            labels[static_cast<std::size_t>(message->button - 1)]->setVisible(true);
        break;
    }
    case MessageKind::TimeStamp:
        ui->lblSec->setText(twoDigits(message->seconds));
        ui->lblMin->setText(twoDigits(message->minutes));
        ui->lblHour->setText(QString::number(message->hours));
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

void frmVELD::optDP1_Click() {
    chooseDecimalPoint(1);
}
void frmVELD::optDP2_Click() {
    chooseDecimalPoint(2);
}
void frmVELD::optDP3_Click() {
    chooseDecimalPoint(3);
}
void frmVELD::optDP4_Click() {
    chooseDecimalPoint(4);
}
void frmVELD::optDP5_Click() {
    chooseDecimalPoint(5);
}
void frmVELD::optDP6_Click() {
    chooseDecimalPoint(6);
}
void frmVELD::optOFFDP_Click() {
    chooseDecimalPoint(0);
}

// ---- Clock and countdown --------------------------------------------------

void frmVELD::cmdSetRTC_Click() {
    ui->lblTemp->setText(QString());
    const QTime now = m_clock();
    sendCommand(Command::SetClock,
                {static_cast<std::uint8_t>(now.second()), static_cast<std::uint8_t>(now.minute()),
                 static_cast<std::uint8_t>(now.hour())});
    setCountdownButtonsEnabled(false);
}

void frmVELD::cmdTimeStamp_Click() {
    sendCommand(Command::TimeStampRequest);
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
    sendCommand(Command::CountdownInterval,
                {result.payload->seconds, result.payload->minutes, result.payload->hours});
    setCountdownButtonsEnabled(true);
}

void frmVELD::cmdStartStop_Click() {
    sendCommand(Command::CountdownStartStop);
}
void frmVELD::cmdReset_Click() {
    sendCommand(Command::CountdownReset);
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

// ---- Fixed frames ---------------------------------------------------------

void frmVELD::cmdFlash_Click() {
    sendCommand(Command::ToggleFlashing);
}
void frmVELD::cmdOnBuz_Click() {
    sendCommand(Command::BuzzerOn);
}
void frmVELD::cmdOffBuz_Click() {
    sendCommand(Command::BuzzerOff);
}
void frmVELD::cmdOnOut_Click() {
    sendCommand(Command::Output1On);
}
void frmVELD::cmdOFFOut_Click() {
    sendCommand(Command::Output1Off);
}
void frmVELD::cmdOnOut2_Click() {
    sendCommand(Command::Output2On);
}
void frmVELD::cmdOffOut2_Click() {
    sendCommand(Command::Output2Off);
}

// Item n of "Module Baud Rate", 1 to 5.
void frmVELD::sendModuleLineSpeed(int item) {
    const auto byte =
        protocol::moduleLineSpeedByte(kLineSpeeds.at(static_cast<std::size_t>(item - 1)));
    if (byte)
        sendCommand(Command::ModuleLineSpeed, {*byte});
}

void frmVELD::mnum12_Click() {
    sendModuleLineSpeed(1);
}
void frmVELD::mnum24_Click() {
    sendModuleLineSpeed(2);
}
void frmVELD::mnum48_Click() {
    sendModuleLineSpeed(3);
}
void frmVELD::mnum96_Click() {
    sendModuleLineSpeed(4);
}
void frmVELD::mnum192_Click() {
    sendModuleLineSpeed(5);
}

// Item Fn of "Startup Function", 1 to 6.
void frmVELD::sendStartupFunction(int item) {
    if (const auto byte = protocol::startupFunctionByte(item))
        sendCommand(Command::StartupFunction, {*byte});
}

void frmVELD::mnuF1_Click() {
    sendStartupFunction(1);
}
void frmVELD::mnuF2_Click() {
    sendStartupFunction(2);
}
void frmVELD::mnuF3_Click() {
    sendStartupFunction(3);
}
void frmVELD::mnuF4_Click() {
    sendStartupFunction(4);
}
void frmVELD::mnuF5_Click() {
    sendStartupFunction(5);
}
void frmVELD::mnuF6_Click() {
    sendStartupFunction(6);
}

// ---- Port and line settings -----------------------------------------------

void frmVELD::selectPort(int portNumber) {
    // Continue on error: both steps are tried, any failure is remembered.
    checkOnly(portItems(), portNumber);
    const bool numberTaken = MSComm1.setCommPort(portNumber);
    QString cause = MSComm1.failureCause();
    const bool opened = MSComm1.setPortOpen(true);
    if (numberTaken)
        cause = MSComm1.failureCause();
    if (!numberTaken || !opened) {
        showMessage(kComPortError, u"Port Not Available,Please select Another Port "_s, cause);
        return;
    }
    storeProperty(kCommPortKey, QString::number(portNumber));
    setPortDependentEnabled(true);
}

void frmVELD::mnuCOM1_Click() {
    selectPort(1);
}
void frmVELD::mnuCOM2_Click() {
    selectPort(2);
}
void frmVELD::mnuCOM3_Click() {
    selectPort(3);
}
void frmVELD::mnuCOM4_Click() {
    selectPort(4);
}
void frmVELD::mnuCOM5_Click() {
    selectPort(5);
}

void frmVELD::refreshPortToolTips() {
    const std::array<QAction*, 5> items = portItems();
    for (std::size_t i = 0; i < items.size(); ++i)
        items[i]->setToolTip(serial::deviceForPort(static_cast<int>(i) + 1).value_or(QString()));
}

// The device of each COM item; no port is opened or closed here, the next
// pick of an item opens its new device.
void frmVELD::mnuAssignPorts_Click() {
    AssignPortsDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted && dialog.storeFailed())
        reportSettingsError();
}

// Item n of "Baud Rate", 1 to 5.
void frmVELD::selectLineSpeed(int item) {
    checkOnly(speedItems(), item);
    const QString settings = lineSettingsText(kLineSpeeds.at(static_cast<std::size_t>(item - 1)));
    // The control logs a refusal; this menu shows no message.
    MSComm1.setSettings(settings);
    storeProperty(kSettingsKey, settings);
}

void frmVELD::mnu12_Click() {
    selectLineSpeed(1);
}
void frmVELD::mnu24_Click() {
    selectLineSpeed(2);
}
void frmVELD::mnu48_Click() {
    selectLineSpeed(3);
}
void frmVELD::mnu96_Click() {
    selectLineSpeed(4);
}
void frmVELD::mnu192_Click() {
    selectLineSpeed(5);
}

} // namespace veld::app
