#pragma once

#include "common/ControlSocket.h"
#include "support/PtyPair.h"

#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <unistd.h>

namespace veld::test {

// The real panel as its own program on a pty's device, serving it under a
// runtime folder of its own (or, without, a temporary folder), its traffic
// logged; `before` is given the socket's folder first.
struct ServedPanel {
    explicit ServedPanel(bool runtimeFolder = true,
                         const std::function<void(const QString&)>& before = {}) {
        qputenv(runtimeFolder ? "XDG_RUNTIME_DIR" : "TMPDIR", QFile::encodeName(runtime.path()));
        if (!runtimeFolder)
            qunsetenv("XDG_RUNTIME_DIR");
        folder = runtime.filePath(runtimeFolder ? u"veld"_s : u"veld-%1"_s.arg(::getuid()));
        if (before)
            before(folder);
        start();
    }
    // Once more on the same device; ready once its socket answers.
    void start() {
        panel.start(QStringLiteral(VELD_PANEL_PROGRAM),
                    {u"--port"_s, pty.devicePath(), u"--log"_s, log()});
        pty.receive(3); // the start-up frame
        ready = QTest::qWaitFor([this] {
            errors += panel.readAllStandardError();
            QLocalSocket s;
            s.connectToServer(socket());
            return s.waitForConnected(10) || errors.contains("no control socket");
        });
    }
    ~ServedPanel() {
        panel.terminate();
        panel.waitForFinished();
    }
    QString socket() const {
        return folder + u'/' + common::controlSocket::nameFor(pty.devicePath());
    }
    QString log() const { return runtime.filePath(u"log"_s); }

    QTemporaryDir runtime;
    QString folder;
    QByteArray errors;
    bool ready = false; // serving, or said why not
    PtyPair pty;
    QProcess panel;
};

// veldctl with these arguments (PTY: the pty's link), started.
inline std::unique_ptr<QProcess> veldctl(const ServedPanel& served, QString args) {
    auto p = std::make_unique<QProcess>();
    p->start(QStringLiteral(VELDCTL_PROGRAM),
             args.replace(u"PTY"_s, served.pty.slavePath()).split(u' '));
    return p;
}

} // namespace veld::test
