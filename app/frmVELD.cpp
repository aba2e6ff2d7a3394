#include "app/frmVELD.h"

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
#include "ui/WindowBuilder.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace veld::app {

using namespace Qt::StringLiterals;
using protocol::Command;
using serial::SettingsStore;

namespace {
const QString kComPortError = u"COM PORT ERROR"_s;
const QString kInputError = u"Input ERROR"_s;
const QString kDefaultCommPort = u"1"_s;
const QString kDefaultSettings = u"9600,n,8,1"_s;
constexpr auto kCommPortKey = u"CommPort";
constexpr auto kSettingsKey = u"Settings";
constexpr QChar kDegreeSign(0x00B0);

constexpr std::initializer_list<const char16_t*> kPortItems = {u"mnuCOM1", u"mnuCOM2", u"mnuCOM3",
                                                               u"mnuCOM4", u"mnuCOM5"};
constexpr std::initializer_list<const char16_t*> kSpeedItems = {u"mnu12", u"mnu24", u"mnu48",
                                                                u"mnu96", u"mnu192"};
struct SpeedItem {
    const char16_t* item;
    const char16_t* settings;
};
constexpr SpeedItem kSpeedSettings[] = {{u"mnu12", u"1200,n,8,1"},
                                        {u"mnu24", u"2400,n,8,1"},
                                        {u"mnu48", u"4800,n,8,1"},
                                        {u"mnu96", u"9600,n,8,1"},
                                        {u"mnu192", u"19200,n,8,1"}};

QString name(const char16_t* text) {
    return QString::fromUtf16(text);
}

QString twoDigits(std::uint8_t value) {
    QString text = QString::number(value);
    if (value < 10)
        text = u'0' + text;
    return text;
}

} // namespace

frmVELD::frmVELD(QWidget* parent)
    : QMainWindow(parent)
    , m_controls(ui::WindowBuilder::build(*this, QStringLiteral(VELD_WEB_ADDRESS))) {
    connectHandlers();
}

frmVELD::~frmVELD() = default;

void frmVELD::connectHandlers() {
    using Handler = void (frmVELD::*)();
    const std::pair<const char16_t*, Handler> handlers[] = {
        {u"cmdSendAscii", &frmVELD::cmdSendAscii_Click},
        {u"cmdSetDP", &frmVELD::cmdSetDP_Click},
        {u"optDP1", &frmVELD::optDP1_Click},
        {u"optDP2", &frmVELD::optDP2_Click},
        {u"optDP3", &frmVELD::optDP3_Click},
        {u"optDP4", &frmVELD::optDP4_Click},
        {u"optDP5", &frmVELD::optDP5_Click},
        {u"optDP6", &frmVELD::optDP6_Click},
        {u"optOFFDP", &frmVELD::optOFFDP_Click},
        {u"cmdSetRTC", &frmVELD::cmdSetRTC_Click},
        {u"cmdTimeStamp", &frmVELD::cmdTimeStamp_Click},
        {u"cmdCDSet", &frmVELD::cmdCDSet_Click},
        {u"cmdStartStop", &frmVELD::cmdStartStop_Click},
        {u"cmdReset", &frmVELD::cmdReset_Click},
        {u"cmdTemp", &frmVELD::cmdTemp_Click},
        {u"optCEL", &frmVELD::optCEL_Click},
        {u"optFAH", &frmVELD::optFAH_Click},
        {u"optCountEn", &frmVELD::optCountEn_Click},
        {u"optCountDis", &frmVELD::optCountDis_Click},
        {u"cmdFlash", &frmVELD::cmdFlash_Click},
        {u"cmdOnBuz", &frmVELD::cmdOnBuz_Click},
        {u"cmdOffBuz", &frmVELD::cmdOffBuz_Click},
        {u"cmdOnOut", &frmVELD::cmdOnOut_Click},
        {u"cmdOFFOut", &frmVELD::cmdOFFOut_Click},
        {u"cmdOnOut2", &frmVELD::cmdOnOut2_Click},
        {u"cmdOffOut2", &frmVELD::cmdOffOut2_Click},
        {u"mnuCOM1", &frmVELD::mnuCOM1_Click},
        {u"mnuCOM2", &frmVELD::mnuCOM2_Click},
        {u"mnuCOM3", &frmVELD::mnuCOM3_Click},
        {u"mnuCOM4", &frmVELD::mnuCOM4_Click},
        {u"mnuCOM5", &frmVELD::mnuCOM5_Click},
        {u"mnu12", &frmVELD::mnu12_Click},
        {u"mnu24", &frmVELD::mnu24_Click},
        {u"mnu48", &frmVELD::mnu48_Click},
        {u"mnu96", &frmVELD::mnu96_Click},
        {u"mnu192", &frmVELD::mnu192_Click},
        {u"mnum12", &frmVELD::mnum12_Click},
        {u"mnum24", &frmVELD::mnum24_Click},
        {u"mnum48", &frmVELD::mnum48_Click},
        {u"mnum96", &frmVELD::mnum96_Click},
        {u"mnum192", &frmVELD::mnum192_Click},
        {u"mnuF1", &frmVELD::mnuF1_Click},
        {u"mnuF2", &frmVELD::mnuF2_Click},
        {u"mnuF3", &frmVELD::mnuF3_Click},
        {u"mnuF4", &frmVELD::mnuF4_Click},
        {u"mnuF5", &frmVELD::mnuF5_Click},
        {u"mnuF6", &frmVELD::mnuF6_Click},
        {u"Timer1", &frmVELD::Timer1_Timer},
        {u"Timer2", &frmVELD::Timer2_Timer},
    };
    for (const auto& [control, handler] : handlers) {
        QObject* object = m_controls.object(name(control));
        if (auto* button = qobject_cast<QAbstractButton*>(object))
            connect(button, &QAbstractButton::clicked, this, handler);
        else if (auto* action = qobject_cast<QAction*>(object))
            connect(action, &QAction::triggered, this, handler);
        else if (auto* timer = qobject_cast<QTimer*>(object))
            connect(timer, &QTimer::timeout, this, handler);
    }
}

void frmVELD::centreOnScreen() {
    adjustSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
}

void frmVELD::showMessage(const QString& title, const QString& text) {
    m_showMessage(this, title, text);
}

void frmVELD::sendCommand(Command command, std::initializer_list<std::uint8_t> data) {
    const auto entry = protocol::findCommand(protocol::codeOf(command));
    Q_ASSERT(entry && entry->dataBytes == data.size());
    const bool guarded = entry->send == protocol::SendRule::Guarded;
    if (!guarded || MSComm1.portOpen()) {
        m_lastCommand = protocol::buildFrame(m_frameHeader, protocol::codeOf(command), data);
        MSComm1.setOutput(m_lastCommand);
    }
    if (entry->polling == protocol::PollingEffect::Clears)
        m_temperaturePolling = 0;
}

void frmVELD::checkOnly(std::initializer_list<const char16_t*> group, const QString& item) {
    for (const char16_t* member : group)
        m_controls.menuItem(name(member))->setChecked(name(member) == item);
}

void frmVELD::setPortDependentEnabled(bool enabled) {
    // The six buttons, then the three menus.
    const char16_t* const buttons[] = {u"cmdSendAscii", u"cmdSetDP", u"cmdSetRTC",
                                       u"cmdTemp",      u"cmdCDSet", u"cmdTimeStamp"};
    const char16_t* const menus[] = {u"mnuBaud", u"mnuMbaud", u"mnuStart"};
    for (const char16_t* b : buttons)
        m_controls.button(name(b))->setEnabled(enabled);
    for (const char16_t* m : menus)
        m_controls.menu(name(m))->setEnabled(enabled);
}

void frmVELD::setCountdownButtonsEnabled(bool enabled) {
    m_controls.button(u"cmdStartStop"_s)->setEnabled(enabled);
    m_controls.button(u"cmdReset"_s)->setEnabled(enabled);
}

// ---- Start-up -------------------------------------------------------------

void frmVELD::Form_Load() {
    // Continue on error: every step is tried, any failure is remembered.
    bool failed = false;
    QCoreApplication::setApplicationName(u"VELD"_s);
    failed |= !MSComm1.setInputLen(0);
    failed |= !MSComm1.setInputMode(serial::MSComm::kInputModeBinary);
    m_frameHeader = protocol::kFrameHeader;

    const QString port =
        SettingsStore::read(SettingsStore::kProperties, kCommPortKey, kDefaultCommPort);
    const QString settings =
        SettingsStore::read(SettingsStore::kProperties, kSettingsKey, kDefaultSettings);
    if (!port.isEmpty()) {
        const auto number = portNumberFromText(port);
        failed |= !(number && MSComm1.setCommPort(*number));
    }
    failed |= !MSComm1.setSettings(settings);
    failed |= !MSComm1.setPortOpen(true);

    if (failed) {
        showMessage(kComPortError, u"COM1 Not Available, Please Select Another Port"_s);
        for (const char16_t* b :
             {u"cmdSendAscii", u"cmdSetDP", u"cmdSetRTC", u"cmdTemp", u"cmdCDSet"})
            m_controls.button(name(b))->setEnabled(false);
        for (const char16_t* m : {u"mnuBaud", u"mnuMbaud", u"mnuStart"})
            m_controls.menu(name(m))->setEnabled(false);
        m_controls.button(u"cmdTimeStamp"_s)->setEnabled(false);
        m_controls.deselect(m_controls.option(u"optCountEn"_s));
    } else {
        m_controls.option(u"optCountDis"_s)->click();
    }

    if (const auto number = portNumberFromText(port);
        number && *number >= serial::kFirstPort && *number <= serial::kLastPort)
        checkOnly(kPortItems, u"mnuCOM"_s + QString::number(*number));
    for (const SpeedItem& s : kSpeedSettings)
        if (settings == name(s.settings))
            checkOnly(kSpeedItems, name(s.item));

    m_controls.option(u"optCEL"_s)->click();
    m_controls.option(u"optOFFDP"_s)->click();
    m_controls.label(u"lblTemp"_s)->setText(QString());
}

// ---- Poll timers ----------------------------------------------------------

void frmVELD::Timer1_Timer() {
    QLabel* time = m_controls.label(u"lblTIME"_s);
    const QString now = m_clock().toString(u"h:mm:ss"_s);
    if (time->text() != now)
        time->setText(now);

    if (MSComm1.inBufferCount() == 0)
        for (const char16_t* l : {u"lblButton1", u"lblButton2", u"lblButton3"})
            m_controls.label(name(l))->setVisible(false);
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
        if (m_controls.option(u"optCEL"_s)->isChecked())
            m_controls.label(u"lblTemp"_s)->setText(QString::number(message->celsius));
        if (m_controls.option(u"optFAH"_s)->isChecked())
            m_controls.label(u"lblTemp"_s)->setText(QString::number(m_fahrenheit));
        break;
    case MessageKind::TemperatureBelowZero:
        m_celsius = static_cast<std::int16_t>(-message->celsius);
        m_fahrenheit = protocol::fahrenheitBelowZero(message->celsius);
        if (m_controls.option(u"optCEL"_s)->isChecked())
            m_controls.label(u"lblTemp"_s)->setText(u'-' + QString::number(message->celsius));
        if (m_controls.option(u"optFAH"_s)->isChecked())
            m_controls.label(u"lblTemp"_s)->setText(QString::number(m_fahrenheit));
        break;
    case MessageKind::CounterEvent:
        m_eventCount = protocol::nextEventCount(m_eventCount);
        m_controls.label(u"lblCounter"_s)->setText(QString::number(m_eventCount));
        break;
    case MessageKind::CounterReset:
        m_eventCount = 0;
        m_controls.label(u"lblCounter"_s)->setText(u"0"_s);
        break;
    case MessageKind::ButtonPressed:
        if (message->button >= 1 && message->button <= 3)
            m_controls.label(u"lblButton"_s + QString::number(message->button))->setVisible(true);
        break;
    case MessageKind::TimeStamp:
        m_controls.label(u"lblSec"_s)->setText(twoDigits(message->seconds));
        m_controls.label(u"lblMin"_s)->setText(twoDigits(message->minutes));
        m_controls.label(u"lblHour"_s)->setText(QString::number(message->hours));
        break;
    }
}

void frmVELD::Timer2_Timer() {
    if (m_temperaturePolling != 1)
        return;
    sendCommand(Command::TemperatureRequest);
}

// ---- Display text and decimal point ---------------------------------------

void frmVELD::cmdSendAscii_Click() {
    m_controls.label(u"lblTemp"_s)->setText(QString());
    m_temperaturePolling = 0;
    QLineEdit* digits = m_controls.textBox(u"txtDigit"_s);
    const std::u16string text = digits->text().toStdU16String();
    m_lastCommand = protocol::textBytes(text);
    if (!MSComm1.portOpen()) {
        showMessage(kComPortError, u"Com Port Not Available"_s);
    } else {
        if (!text.empty())
            m_lastCommand = protocol::buildTextFrame(m_frameHeader, text);
        MSComm1.setOutput(m_lastCommand);
    }
    digits->setText(QString());
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
    m_controls.label(u"lblTemp"_s)->setText(QString());
    const QTime now = m_clock();
    sendCommand(Command::SetClock,
                {static_cast<std::uint8_t>(now.second()), static_cast<std::uint8_t>(now.minute()),
                 static_cast<std::uint8_t>(now.hour())});
    setCountdownButtonsEnabled(false);
}

void frmVELD::cmdTimeStamp_Click() {
    sendCommand(Command::TimeStampRequest);
}

void frmVELD::refuseInterval(const QString& text) {
    showMessage(kInputError, text);
    for (const char16_t* box : {u"txtCDMin", u"txtCDSec", u"txtCDHour"})
        m_controls.textBox(name(box))->setText(QString());
}

void frmVELD::cmdCDSet_Click() {
    m_controls.label(u"lblTemp"_s)->setText(QString());
    m_temperaturePolling = 0;
    const QString separator = QLocale().decimalPoint();
    const auto result =
        protocol::convertInterval(m_controls.textBox(u"txtCDHour"_s)->text().toStdU16String(),
                                  m_controls.textBox(u"txtCDMin"_s)->text().toStdU16String(),
                                  m_controls.textBox(u"txtCDSec"_s)->text().toStdU16String(),
                                  separator.size() == 1 ? separator.at(0).unicode() : u'.');
    if (!result.payload) {
        refuseInterval(result.error == protocol::IntervalError::NotNumeric
                           ? u"Please Key In Numeric Value"_s
                           : u"Please Key In Values From 0 To 255"_s);
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
    m_controls.label(u"lblUnit"_s)->setText(kDegreeSign + u" C"_s);
    m_controls.label(u"lblTemp"_s)->setText(QString::number(m_celsius));
}

void frmVELD::optFAH_Click() {
    m_controls.label(u"lblUnit"_s)->setText(kDegreeSign + u" F"_s);
    m_controls.label(u"lblTemp"_s)->setText(QString::number(m_fahrenheit));
}

void frmVELD::optCountEn_Click() {
    m_eventCount = 0;
    m_controls.label(u"lblCounter"_s)->setText(QString::number(m_eventCount));
    m_controls.label(u"lblTemp"_s)->setText(QString());
    sendCommand(Command::CounterEnable);
}

void frmVELD::optCountDis_Click() {
    m_eventCount = 0;
    m_controls.label(u"lblCounter"_s)->setText(u"0000"_s);
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

void frmVELD::sendModuleLineSpeed(std::uint32_t bitsPerSecond) {
    if (const auto byte = protocol::moduleLineSpeedByte(bitsPerSecond))
        sendCommand(Command::ModuleLineSpeed, {*byte});
}

void frmVELD::mnum12_Click() {
    sendModuleLineSpeed(1200);
}
void frmVELD::mnum24_Click() {
    sendModuleLineSpeed(2400);
}
void frmVELD::mnum48_Click() {
    sendModuleLineSpeed(4800);
}
void frmVELD::mnum96_Click() {
    sendModuleLineSpeed(9600);
}
void frmVELD::mnum192_Click() {
    sendModuleLineSpeed(19200);
}

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
    bool failed = false;
    checkOnly(kPortItems, u"mnuCOM"_s + QString::number(portNumber));
    failed |= !MSComm1.setCommPort(portNumber);
    failed |= !MSComm1.setPortOpen(true);
    if (failed) {
        showMessage(kComPortError, u"Port Not Available,Please select Another Port "_s);
        return;
    }
    SettingsStore::write(SettingsStore::kProperties, kCommPortKey, QString::number(portNumber));
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

void frmVELD::selectLineSettings(const QString& item, const QString& settings) {
    checkOnly(kSpeedItems, item);
    MSComm1.setSettings(settings);
    SettingsStore::write(SettingsStore::kProperties, kSettingsKey, settings);
}

void frmVELD::mnu12_Click() {
    selectLineSettings(u"mnu12"_s, u"1200,n,8,1"_s);
}
void frmVELD::mnu24_Click() {
    selectLineSettings(u"mnu24"_s, u"2400,n,8,1"_s);
}
void frmVELD::mnu48_Click() {
    selectLineSettings(u"mnu48"_s, u"4800,n,8,1"_s);
}
void frmVELD::mnu96_Click() {
    selectLineSettings(u"mnu96"_s, u"9600,n,8,1"_s);
}
void frmVELD::mnu192_Click() {
    selectLineSettings(u"mnu192"_s, u"19200,n,8,1"_s);
}

} // namespace veld::app
