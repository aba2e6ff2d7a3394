#include "module/VirtualModule.h"

#include "common/ByteSpan.h"
#include "module/PtyEndpoint.h"
#include "protocol/WireText.h"

#include <algorithm>

namespace veld::module {

namespace {
QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// What a receiver at `sampled` bit/s makes of `bytes` sent back to back at
// `sent` bit/s, 8 data bits, no parity, 1 stop bit: it waits for a start bit,
// samples each bit in its middle and hands the byte on whatever it finds for
// a stop bit, as a UART does. Time runs in steps of 1/(sent * sampled) s, so
// that a sent bit lasts `sampled` steps and a sampled one `sent` steps.
QByteArray resampled(const QByteArray& bytes, std::uint64_t sent, std::uint64_t sampled) {
    QByteArray out;
    if (sent == 0 || sampled == 0)
        return out;
    const std::uint64_t end = std::uint64_t(bytes.size()) * 10 * sampled;
    const auto level = [&](std::uint64_t t) {
        if (t >= end)
            return 1; // idle
        const std::uint64_t bit = t / sampled;
        const unsigned position = bit % 10;
        const auto byte = static_cast<std::uint8_t>(bytes[static_cast<qsizetype>(bit / 10)]);
        return position == 0 ? 0 : position == 9 ? 1 : (byte >> (position - 1)) & 1;
    };
    const std::uint64_t look = std::max<std::uint64_t>(sent / 16, 1); // 16 looks a bit
    for (std::uint64_t t = 0; t < end; t += look) {
        if (level(t) != 0 || level(t + sent / 2) != 0)
            continue; // no start bit, or a glitch
        std::uint8_t byte = 0;
        for (unsigned k = 0; k < 8; ++k)
            byte |= static_cast<std::uint8_t>(level(t + sent * (k + 1) + sent / 2) << k);
        out.append(static_cast<char>(byte));
        t += sent * 9 + sent / 2; // to the middle of the stop bit
    }
    return out;
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
    case Kind::Garbled:
        return QStringLiteral("garbled");
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
    carryOut(m_splitter.feed(common::byteSpan(bytes)));
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
        const QByteArray noise =
            resampled(QByteArray::fromStdString(message), m_state.lineSpeed(), panelLineSpeed());
        if (!noise.isEmpty())
            m_line.write(noise);
        emit wireEvent({WireEvent::Kind::Garbled, qs(protocol::hexText(message)),
                        qs(protocol::describeMessage(message)) + QStringLiteral(": ") +
                            mismatchText(panelLineSpeed(), m_state.lineSpeed()) +
                            QStringLiteral(", so the panel reads ") +
                            (noise.isEmpty() ? QStringLiteral("nothing")
                                             : qs(protocol::hexText(noise.toStdString())))});
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

} // namespace veld::module
