#include "tools/VirtualModule.h"

#include "protocol/WireText.h"
#include "tools/PtyEndpoint.h"

namespace veld::tools {

namespace {
QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QString mismatchText(std::uint32_t panel, std::uint32_t module) {
    return QStringLiteral("line at %1 bit/s, module at %2 bit/s")
        .arg(panel == 0 ? QStringLiteral("another") : QString::number(panel))
        .arg(module);
}
} // namespace

QString WireEvent::tag() const {
    switch (kind) {
    case Kind::Heard:
        return QStringLiteral("rx");
    case Kind::Said:
        return QStringLiteral("tx");
    case Kind::Lost:
        return QStringLiteral("lost");
    case Kind::Unsent:
        return QStringLiteral("unsent");
    case Kind::Discarded:
        break;
    }
    return QStringLiteral("skip");
}

VirtualModule::VirtualModule(PtyEndpoint& line, ModuleState::NowFn now, QObject* parent)
    : QObject(parent)
    , m_line(line)
    , m_state(std::move(now)) {
    m_frameTimeout.setSingleShot(true);
    m_frameTimeout.setInterval(kFrameTimeoutMs);
    connect(&m_frameTimeout, &QTimer::timeout, this, &VirtualModule::onFrameTimeout);
    connect(&m_line, &PtyEndpoint::received, this, &VirtualModule::onReceived);
}

std::uint32_t VirtualModule::panelLineSpeed() const {
    return m_line.lineSpeed().value_or(0);
}

bool VirtualModule::lineMatches() const {
    return panelLineSpeed() == m_state.lineSpeed();
}

void VirtualModule::onReceived(const QByteArray& bytes) {
    if (!lineMatches()) {
        // At the wrong speed the module sees only noise; a frame begun before
        // is broken too.
        m_splitter.reset();
        m_reportedDiscarded = m_splitter.discardedBytes();
        m_frameTimeout.stop();
        emit wireEvent({WireEvent::Kind::Lost, qs(protocol::hexText(bytes.toStdString())),
                        mismatchText(panelLineSpeed(), m_state.lineSpeed())});
        return;
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    carryOut(m_splitter.feed(std::span(data, static_cast<std::size_t>(bytes.size()))));
    if (m_splitter.hasPartial())
        m_frameTimeout.start();
    else
        m_frameTimeout.stop();
}

void VirtualModule::onFrameTimeout() {
    carryOut(m_splitter.expirePartial());
}

void VirtualModule::carryOut(const std::vector<protocol::Bytes>& frames) {
    reportDiscarded();
    for (const protocol::Bytes& frame : frames) {
        const protocol::Bytes answer = m_state.apply(frame);
        // The answer goes out before the report, so that whoever reads the
        // report finds the answer already on its way.
        if (!answer.empty())
            m_line.write(QByteArray::fromStdString(answer));
        emit wireEvent({WireEvent::Kind::Heard, qs(protocol::hexText(frame)),
                        qs(protocol::describeCommand(frame))});
        if (!answer.empty())
            emit wireEvent({WireEvent::Kind::Said, qs(protocol::hexText(answer)),
                            qs(protocol::describeMessage(answer))});
        emit stateChanged();
    }
}

void VirtualModule::reportDiscarded() {
    const std::size_t discarded = m_splitter.discardedBytes();
    if (discarded == m_reportedDiscarded)
        return;
    emit wireEvent(
        {WireEvent::Kind::Discarded, QString(),
         QStringLiteral("%1 byte(s) formed no frame").arg(discarded - m_reportedDiscarded)});
    m_reportedDiscarded = discarded;
}

void VirtualModule::say(const protocol::Bytes& message) {
    if (message.empty())
        return;
    if (!lineMatches()) {
        emit wireEvent({WireEvent::Kind::Unsent, qs(protocol::hexText(message)),
                        qs(protocol::describeMessage(message)) + QStringLiteral(" not sent: ") +
                            mismatchText(panelLineSpeed(), m_state.lineSpeed())});
        return;
    }
    m_line.write(QByteArray::fromStdString(message));
    emit wireEvent({WireEvent::Kind::Said, qs(protocol::hexText(message)),
                    qs(protocol::describeMessage(message))});
}

void VirtualModule::pressButton(int button) {
    say(m_state.pressButton(button));
}

void VirtualModule::counterEvent() {
    say(m_state.counterEvent());
    emit stateChanged();
}

void VirtualModule::resetCounter() {
    say(m_state.resetCounter());
    emit stateChanged();
}

bool VirtualModule::setTemperature(int celsius) {
    const bool ok = m_state.setTemperature(celsius);
    if (ok)
        emit stateChanged();
    return ok;
}

void VirtualModule::powerCycle() {
    m_splitter.reset();
    m_reportedDiscarded = m_splitter.discardedBytes();
    m_frameTimeout.stop();
    m_state.powerCycle();
    emit stateChanged();
}

} // namespace veld::tools
