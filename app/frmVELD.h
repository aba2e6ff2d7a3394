#pragma once

#include "app/ControlServer.h"
#include "app/FailureReports.h"
#include "app/Placement.h"
#include "app/PortOutage.h"
#include "app/Readings.h"
#include "app/TrafficLog.h"
#include "app/TrafficWindow.h"
#include "cli/Invocation.h"
#include "protocol/CommandTable.h"
#include "protocol/Frame.h"
#include "protocol/ReadDecoder.h"
#include "serial/MSComm.h"

#include <QMainWindow>
#include <QPointer>
#include <QTime>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

namespace Ui {
class frmVELD;
}

namespace veld::app {

class PortMenus;

// The panel's one window: its controls (the form frmVELD.ui), the serial
// control, the two poll timers and the window state that the handlers share.
class frmVELD : public QMainWindow {
    Q_OBJECT

public:
    using ClockFn = std::function<QTime()>;

    explicit frmVELD(QWidget* parent = nullptr);
    ~frmVELD() override;

    // Seams: how failures are shown, and where the time of day comes from.
    void setMessageBox(MessageBoxFn show) { m_reports.setMessageBox(std::move(show)); }
    void setClock(ClockFn clock) { m_clock = std::move(clock); }

    // The controls, for tests that click them and read them.
    const Ui::frmVELD& form() const { return *ui; }
    QTimer& timer1() { return Timer1; }
    QTimer& timer2() { return Timer2; }
    // The box that says the port was lost, while it is open.
    const QMessageBox* lossBox() const { return m_outage.box(); }
    // "Traffic", while it is open.
    TrafficWindow* trafficWindow() const { return m_trafficWindow.data(); }
    serial::MSComm& serialControl() { return MSComm1; }
    // On the screen that holds the pointer, as placeOnScreen (Placement.h) places it.
    void placeOnScreen(Company company = Company::Alone);

    // Window state, read-only from outside.
    std::uint8_t frameHeader() const { return m_frameHeader; }
    const protocol::Bytes& lastCommand() const { return m_lastCommand; }
    std::uint8_t temperaturePollingFlag() const { return m_temperaturePolling; }
    std::uint8_t decimalPointChoice() const { return m_decimalPoint; }
    std::int16_t eventCount() const { return m_readings.eventCount(); }

    // Start-up: runs once, before the window is shown. veld --com N and --port
    // DEVICE give the port it opens instead of the stored one, not stored.
    void Form_Load(const cli::PortChoice& startPort = {});
    // Every traffic line from now on goes to the end of this file too (veld
    // --log FILE); a file that cannot be written is said once, and left.
    void setLogFile(const QString& path);

private:
    void connectHandlers();

    void Timer1_Timer();
    void Timer2_Timer();

    void cmdSendAscii_Click();
    void cmdSetDP_Click();
    // optOFFDP_Click (0), optDP1_Click … optDP6_Click (1 to 6).
    void chooseDecimalPoint(std::uint8_t choice) { m_decimalPoint = choice; }

    void cmdSetRTC_Click();
    void cmdCDSet_Click();

    void cmdTemp_Click();
    void optCEL_Click();
    void optFAH_Click();
    void optCountEn_Click();
    void optCountDis_Click();

    // mnuCOM1_Click … mnuCOM5_Click.
    void selectPort(int portNumber);
    void mnuAssignPorts_Click();
    // Opens "Traffic" beside the window, or raises it when it is open.
    void mnuTraffic_Click();
    // mnu12_Click … mnu192_Click, items 1 to 5.
    void selectLineSpeed(int item);
    // mnum12_Click … mnum192_Click, items 1 to 5.
    void sendModuleLineSpeed(int item);
    // mnuF1_Click … mnuF6_Click.
    void sendStartupFunction(int item);

    // Builds the command's frame and writes it by the table's send rule, then
    // applies the table's effect on the temperature polling flag. Also the
    // handler of the buttons whose frame has no data (cmdFlash_Click …).
    void sendCommand(protocol::Command command, std::initializer_list<std::uint8_t> data = {});
    // While the line is lost, Timer1 watches for it to come back.
    // A whole frame by its command's send rule and polling effect; `sender`
    // marks its traffic line when it is not the panel's own.
    void sendFrame(const protocol::Bytes& frame, const QString& sender = {});
    void reopenLostPort();
    void setPortDependentEnabled(bool enabled);
    void setCountdownButtonsEnabled(bool enabled);

    std::unique_ptr<Ui::frmVELD> ui;
    serial::MSComm MSComm1;
    QTimer Timer1;
    QTimer Timer2;
    ClockFn m_clock = [] { return QTime::currentTime(); };

    std::uint8_t m_frameHeader = 0;
    protocol::Bytes m_lastCommand;
    std::uint8_t m_temperaturePolling = 0;
    std::uint8_t m_decimalPoint = 0;
    FailureReports m_reports;
    Readings m_readings;
    PortOutage m_outage;
    PortMenus* m_menus = nullptr;
    // Whole messages across reads: a message cut by the end of one read is
    // completed by the next; forgotten when the line opens, closes or changes.
    protocol::ReadDecoder m_reads;
    // Who asked for the frame being written: a script's client, or empty for the panel.
    QString m_frameSender;
    TrafficLog m_traffic{[this] { return m_clock(); }};
    QPointer<TrafficWindow> m_trafficWindow;
    ControlServer m_control{MSComm1, [this](const protocol::Bytes& frame, const QString& client) {
                                sendFrame(frame, client);
                            }};
};

} // namespace veld::app
