#pragma once

#include <QObject>

class QSocketNotifier;

namespace veld::common {

// Turns SIGINT, SIGTERM and SIGHUP into a signal on the event loop, so that
// the program can end as if its window were closed: destructors run, the
// serial port is closed with its line settings restored and its lock removed.
// SIGPIPE is ignored, so that a write to a closed pipe fails with EPIPE
// instead of killing the program. The signal handler only writes a byte to a
// pipe; the event loop picks it up.
class QuitOnSignal : public QObject {
    Q_OBJECT

public:
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;

    // The first ending signal received, 0 while none has come.
    int received() const { return m_received; }
    // Once the program has cleaned up: ends it by the signal received, with
    // the default action, so that its parent sees how it ended. Returns when
    // no signal came.
    void endByReceivedSignal() const;

signals:
    void signalled(int signalNumber);

private:
    void onReadable();

    QSocketNotifier* m_notifier = nullptr;
    int m_received = 0;
};

} // namespace veld::common
