#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace veld::module {

class SevenSegmentDisplay;
class VirtualModule;
struct WireEvent;

// Where a module window of size `own` goes on a screen whose free area is
// `available`: beside the panel (common/SideBySide.h) when both fit across,
// else in the area's top right corner; inside the area, shrunk to it when
// larger.
QRect besidePanel(const QSize& own, const QRect& available);

// The virtual module's face: its six digits, lamps for the buzzer and the two
// outputs, its three buttons, the thermometer setting, the counter input and
// reset, a power switch, the state of its clock, countdown, counter and line,
// and the frames it heard, in hex and in words. Child widgets carry object
// names ("button1", "temperature", "lastFrame", ...) for tests and scripts.
class ModuleWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 200;

    explicit ModuleWindow(VirtualModule& module, QWidget* parent = nullptr);

    SevenSegmentDisplay& display() { return *m_display; }
    // Sized to its contents and placed besidePanel() on its screen.
    void placeBesidePanel();

private:
    void refresh();
    void onWireEvent(const WireEvent& event);
    static void setLamp(QLabel* lamp, bool on);

    VirtualModule& m_module;
    SevenSegmentDisplay* m_display = nullptr;
    QLabel* m_buzzer = nullptr;
    QLabel* m_output1 = nullptr;
    QLabel* m_output2 = nullptr;
    QSpinBox* m_temperature = nullptr;
    QLabel* m_clock = nullptr;
    QLabel* m_countdown = nullptr;
    QLabel* m_counter = nullptr;
    QLabel* m_function = nullptr;
    QLabel* m_line = nullptr;
    QLabel* m_lastFrame = nullptr;
    QPlainTextEdit* m_log = nullptr;
    QTimer m_refresh;
};

} // namespace veld::module
