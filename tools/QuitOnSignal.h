#pragma once

#include <QObject>

class QSocketNotifier;

namespace veld::tools {

// Turns SIGINT and SIGTERM into a clean return from the event loop, so that
// destructors run (and the device link is removed). The signal handler only
// writes a byte to a pipe; the event loop picks it up.
class QuitOnSignal : public QObject {
    Q_OBJECT

public:
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;

signals:
    void signalled(int signalNumber);

private:
    void onReadable();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace veld::tools
