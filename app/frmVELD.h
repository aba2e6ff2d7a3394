#pragma once

#include "app/ControlServer.h"
#include "app/TrafficLog.h"
#include "app/TrafficWindow.h"
#include "cli/Invocation.h"
#include "protocol/CommandTable.h"
#include "protocol/Frame.h"
#include "protocol/ReadDecoder.h"
#include "serial/MSComm.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QTime>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

class QAction;
class QActionGroup;

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
    // Shows a failure to the user and returns when it has been dismissed. The
    // cause, when there is one, says what failed and why in the system's words.
    using MessageBoxFn = std::function<void(QWidget* parent, const QString& title,
                                            const QString& text, const QString& cause)>;

    explicit frmVELD(QWidget* parent = nullptr);
    ~frmVELD() override;

    // Faces that stand in for the window's Tahoma and Times New Roman where
    // they are missing: of the same build and of a similar width, so that
    // captions fit the fixed control sizes as designed. Once per program,
    // before any window.
    static void installFontSubstitutes();
    // A box with the information icon and a single OK button; the cause in
    // plain sight under the text. Shown modal until dismissed.
    static QMessageBox* informationBox(QWidget* parent, const QString& title, const QString& text,
                                       const QString& cause);
    static void showInformationBox(QWidget* parent, const QString& title, const QString& text,
                                   const QString& cause);

    // Seams: how failures are shown, and where the time of day comes from.
    void setMessageBox(MessageBoxFn show) { m_showMessage = std::move(show); }
    void setClock(ClockFn clock) { m_clock = std::move(clock); }

    // The controls, for tests that click them and read them.
    const Ui::frmVELD& form() const { return *ui; }
    QTimer& timer1() { return Timer1; }
    QTimer& timer2() { return Timer2; }
    // The box that says the port was lost, while it is open.
    const QMessageBox* lossBox() const { return m_lossBox.data(); }
    // "Traffic", while it is open.
    TrafficWindow* trafficWindow() const { return m_trafficWindow.data(); }
    serial::MSComm& serialControl() { return MSComm1; }
    // Centred on the screen that holds the pointer when it fits there, else
    // at the top left of the screen's free area, title bar and menus on it.
    void placeOnScreen();
    static QPoint placedAt(const QSize& window, const QRect& available);

    // Window state, read-only from outside.
    std::uint8_t frameHeader() const { return m_frameHeader; }
    const protocol::Bytes& lastCommand() const { return m_lastCommand; }
    std::uint8_t temperaturePollingFlag() const { return m_temperaturePolling; }
    std::uint8_t decimalPointChoice() const { return m_decimalPoint; }
    std::int16_t eventCount() const { return m_eventCount; }

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
    void reportLogError(const QString& cause);
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
    // A whole frame by its command's send rule and polling effect; `sender`
    // marks its traffic line when it is not the panel's own.
    void sendFrame(const protocol::Bytes& frame, const QString& sender = {});
    void showMessage(const QString& title, const QString& text, const QString& cause = {});
    // Tells the user, once per session, that the settings file could not be written.
    void reportSettingsError();
    // The line was lost: say so once per outage and disable every control that
    // sends a frame; Timer1 then watches for the line to come back.
    void portLost(const QString& cause);
    void reopenLostPort();
    // A port is open again: the controls as they were before the outage, and
    // its box closed.
    void endOutage();
    // Each COM item's tooltip names the device it opens now.
    void refreshPortToolTips();
    std::array<QWidget*, 9> portDependentControls() const;
    void setPortDependentEnabled(bool enabled);
    void setCountdownButtonsEnabled(bool enabled);
    // Item n, 1 to 5, of "Comm Setting" and of "Baud Rate".
    QAction* portItem(int n) const;
    QAction* speedItem(int n) const;
    void showTemperature(const QString& celsiusText);
    // One message of the module on the labels.
    void showModuleMessage(const protocol::ModuleMessage& message);

    std::unique_ptr<Ui::frmVELD> ui;
    serial::MSComm MSComm1;
    QTimer Timer1;
    QTimer Timer2;
    // Exclusive: picking an item moves the check mark to it before its handler runs.
    QActionGroup* m_portItems = nullptr;
    QActionGroup* m_speedItems = nullptr;
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
    // Whether each control that sends a frame was enabled when the line was
    // lost; empty when no outage is going on.
    std::vector<std::pair<QWidget*, bool>> m_enabledBeforeLoss;
    QPointer<QMessageBox> m_lossBox;
    // Whole messages across reads: a message cut by the end of one read is
    // completed by the next.
    protocol::ReadDecoder m_reads;
    TrafficLog m_traffic{[this] { return m_clock(); }};
    QPointer<TrafficWindow> m_trafficWindow;
    ControlServer m_control{MSComm1, [this](const protocol::Bytes& frame, const QString& client) {
                                sendFrame(frame, client);
                            }};
};

} // namespace veld::app
