#pragma once

#include "support/PanelHarness.h"
#include "support/PtyPair.h"

namespace veld::test {

// The window started on COM1, a pty whose other end plays the module; the
// start-up frame has been taken off the line.
class OpenPanel {
public:
    OpenPanel();

    NamedControls c() const { return h.controls(); }
    QString text(const QString& label) const;
    bool shown(const QString& label) const;

    // One Timer1 tick.
    void tick();
    // The module sends these bytes, then Timer1 ticks.
    void receive(const char* hex);
    // "Show Temperature", with a reading standing in lblTemp.
    void startPolling();

    PanelHarness h;
    PtyPair com1;
};

} // namespace veld::test
