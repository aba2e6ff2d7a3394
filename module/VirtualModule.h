#pragma once

#include "protocol/CommandTable.h"
#include "protocol/FrameSplitter.h"
#include "module/ModuleState.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace veld::module {

class PtyEndpoint;

// One line of what happened on the wire, for the console and the window.
struct WireEvent {
    enum class Kind {
        Heard,     // a frame was received and carried out
        Said,      // the module sent a message
        Lost,      // bytes arrived while the line speeds differ
        Garbled,   // the module spoke while the line speeds differ: the panel reads noise
        Discarded, // bytes that formed no frame
    };
    Kind kind = Kind::Heard;
    QString hex;
    QString words;

    // The kind as the module's log and console write it: rx, tx, lost, garbled, skip.
    QString tag() const;
};

// The virtual module: the module state behind the pseudo-terminal. It hears
// only while the speed the panel set on the line equals its own; at another
// speed what it says reaches the panel as a UART at the panel's speed samples
// it, like a real module on a line with mismatched speeds.
class VirtualModule : public QObject {
    Q_OBJECT

public:
    // Gives up on a frame when the line stays quiet this long in its middle.
    static constexpr int kFrameTimeoutMs = 250;

    explicit VirtualModule(PtyEndpoint& line, ModuleState::NowFn now = &ModuleState::Clock::now,
                           QObject* parent = nullptr);

    const ModuleState& state() const { return m_state; }
    // True while the panel's line speed equals the module's.
    bool lineMatches() const;
    // The panel's speed, 0 when it is none of the standard ones.
    std::uint32_t panelLineSpeed() const;

    void pressButton(int button);
    void counterEvent();
    void resetCounter();
    bool setTemperature(int celsius);
    void powerCycle();

signals:
    void wireEvent(const veld::module::WireEvent& event);
    void stateChanged();

private:
    void onReceived(const QByteArray& bytes);
    void onFrameTimeout();
    void carryOut(const std::vector<protocol::Bytes>& frames);
    void say(const protocol::Bytes& message);
    void reportDiscarded();

    PtyEndpoint& m_line;
    ModuleState m_state;
    protocol::FrameSplitter m_splitter{protocol::commandFrameLength};
    QTimer m_frameTimeout;
    std::size_t m_reportedDiscarded = 0;
};

} // namespace veld::module
