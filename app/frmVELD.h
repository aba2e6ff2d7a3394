#pragma once

#include "app/MessageBox.h"
#include "protocol/CommandTable.h"
#include "protocol/Frame.h"
#include "serial/MSComm.h"

#include <QMainWindow>
#include <QTime>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

class QAction;

namespace Ui {
class frmVELD;
}

namespace veld::app {

// The panel's one window: its controls (the form frmVELD.ui), the serial
// control, the two poll timers and the window state that the handlers share.
class frmVELD : public QMainWindow {
    Q_OBJECT

public:
    using ClockFn = std::function<QTime()>;

    explicit frmVELD(QWidget* parent = nullptr);
    ~frmVELD() override;

    // Seams: how failures are shown, and where the time of day comes from.
    void setMessageBox(MessageBoxFn show) { m_showMessage = std::move(show); }
    void setClock(ClockFn clock) { m_clock = std::move(clock); }

    // The controls, for tests that click them and read them.
    const Ui::frmVELD& form() const { return *ui; }
    QTimer& timer1() { return Timer1; }
    QTimer& timer2() { return Timer2; }
    serial::MSComm& serialControl() { return MSComm1; }
    void centreOnScreen();

    // Window state, read-only from outside.
    std::uint8_t frameHeader() const { return m_frameHeader; }
    const protocol::Bytes& lastCommand() const { return m_lastCommand; }
    std::uint8_t temperaturePollingFlag() const { return m_temperaturePolling; }
    std::uint8_t decimalPointChoice() const { return m_decimalPoint; }
    std::int16_t celsiusReading() const { return m_celsius; }
    std::int16_t fahrenheitReading() const { return m_fahrenheit; }
    std::int16_t eventCount() const { return m_eventCount; }

    // Start-up: runs once, before the window is shown.
    void Form_Load();

private:
    void connectHandlers();

    void Timer1_Timer();
    void Timer2_Timer();

    void cmdSendAscii_Click();
    void cmdSetDP_Click();
    void optDP1_Click();
    void optDP2_Click();
    void optDP3_Click();
    void optDP4_Click();
    void optDP5_Click();
    void optDP6_Click();
    void optOFFDP_Click();

    void cmdSetRTC_Click();
    void cmdTimeStamp_Click();
    void cmdCDSet_Click();
    void cmdStartStop_Click();
    void cmdReset_Click();

    void cmdTemp_Click();
    void optCEL_Click();
    void optFAH_Click();
    void optCountEn_Click();
    void optCountDis_Click();

    void cmdFlash_Click();
    void cmdOnBuz_Click();
    void cmdOffBuz_Click();
    void cmdOnOut_Click();
    void cmdOFFOut_Click();
    void cmdOnOut2_Click();
    void cmdOffOut2_Click();

    void mnuCOM1_Click();
    void mnuCOM2_Click();
    void mnuCOM3_Click();
    void mnuCOM4_Click();
    void mnuCOM5_Click();
    void mnuAssignPorts_Click();

    void mnu12_Click();
    void mnu24_Click();
    void mnu48_Click();
    void mnu96_Click();
    void mnu192_Click();

    void mnum12_Click();
    void mnum24_Click();
    void mnum48_Click();
    void mnum96_Click();
    void mnum192_Click();

    void mnuF1_Click();
    void mnuF2_Click();
    void mnuF3_Click();
    void mnuF4_Click();
    void mnuF5_Click();
    void mnuF6_Click();

    // Builds the command's frame and writes it by the table's send rule, then
    // applies the table's effect on the temperature polling flag.
    void sendCommand(protocol::Command command, std::initializer_list<std::uint8_t> data = {});
    void showMessage(const QString& title, const QString& text, const QString& detail = {});
    // Tells the user, once per session, that the settings file could not be written.
    void reportSettingsError();
    void storeProperty(QStringView key, const QString& value);
    // The line was lost: say so once and disable what needs it; Timer1 then
    // watches for it to come back.
    void portLost(const QString& cause);
    void reopenLostPort();
    // Each COM item's tooltip names the device it opens now.
    void refreshPortToolTips();
    std::array<QWidget*, 9> portDependentControls() const;
    void setPortDependentEnabled(bool enabled);
    void setCountdownButtonsEnabled(bool enabled);
    std::array<QAction*, 5> portItems() const;
    std::array<QAction*, 5> speedItems() const;
    // Item n of a menu group (1 to 5) gets the check mark; the others lose theirs.
    static void checkOnly(const std::array<QAction*, 5>& group, int n);
    void selectPort(int portNumber);
    void selectLineSpeed(int item);
    void sendModuleLineSpeed(int item);
    void sendStartupFunction(int item);
    void chooseDecimalPoint(std::uint8_t choice) { m_decimalPoint = choice; }
    void showTemperature(const QString& celsiusText);

    std::unique_ptr<Ui::frmVELD> ui;
    serial::MSComm MSComm1;
    QTimer Timer1;
    QTimer Timer2;
    MessageBoxFn m_showMessage = showInformationBox;
    ClockFn m_clock = [] { return QTime::currentTime(); };

    std::uint8_t m_frameHeader = 0;
    protocol::Bytes m_lastCommand;
    std::uint8_t m_temperaturePolling = 0;
    std::uint8_t m_decimalPoint = 0;
    std::int16_t m_celsius = 0;
    std::int16_t m_fahrenheit = 0;
    std::int16_t m_eventCount = 0;
    bool m_settingsErrorShown = false;
};

} // namespace veld::app
