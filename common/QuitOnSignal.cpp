#include "common/QuitOnSignal.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace veld::common {

namespace {
int g_pipe[2] = {-1, -1};
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void onSignal(int signalNumber) {
    // The interrupted code may be about to read errno after a failed call.
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}
} // namespace

QuitOnSignal::QuitOnSignal(QObject* parent)
    : QObject(parent) {
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : kEndingSignals)
        ::sigaction(s, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitOnSignal::onReadable);
}

QuitOnSignal::~QuitOnSignal() {
    for (const int s : kEndingSignals)
        ::signal(s, SIG_DFL);
    ::signal(SIGPIPE, SIG_DFL);
}

void QuitOnSignal::onReadable() {
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) {
        if (m_received == 0)
            m_received = byte;
        emit signalled(byte);
    }
}

void QuitOnSignal::endByReceivedSignal() const {
    if (m_received == 0)
        return;
    ::signal(m_received, SIG_DFL);
    ::raise(m_received);
}

} // namespace veld::common
