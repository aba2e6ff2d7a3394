#include "app/Senders.h"

#include "ui_frmVELD.h"

namespace veld::app {

std::array<Sender, 20> senders(const Ui::frmVELD& ui) {
    using enum protocol::Command;
    return {{{ui.cmdSendAscii, {}},
             {ui.cmdSetDP, {}},
             {ui.cmdSetRTC, {}},
             {ui.cmdTemp, {}},
             {ui.cmdCDSet, {}},
             {ui.cmdTimeStamp, TimeStampRequest},
             {ui.mnuBaud, {}},
             {ui.mnuMbaud, {}},
             {ui.mnuStart, {}},
             {ui.cmdFlash, ToggleFlashing},
             {ui.cmdOnBuz, BuzzerOn},
             {ui.cmdOffBuz, BuzzerOff},
             {ui.cmdOnOut, Output1On},
             {ui.cmdOFFOut, Output1Off},
             {ui.cmdOnOut2, Output2On},
             {ui.cmdOffOut2, Output2Off},
             {ui.cmdStartStop, CountdownStartStop},
             {ui.cmdReset, CountdownReset},
             {ui.optCountEn, {}},
             {ui.optCountDis, {}}}};
}

std::vector<QWidget*> senderControls(const Ui::frmVELD& form) {
    std::vector<QWidget*> controls;
    for (const Sender& sender : senders(form))
        controls.push_back(sender.control);
    return controls;
}

} // namespace veld::app
