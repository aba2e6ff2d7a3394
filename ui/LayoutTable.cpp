#include "ui/LayoutTable.h"

#include <array>

namespace veld::ui {

namespace {
using enum ControlType;

constexpr Colour kGreen{0, 255, 0};
constexpr Colour kRed{255, 0, 0};
constexpr Colour kDarkBlue{0, 0, 192};

constexpr FontChoice kButtonLabelFont{u"Tahoma", 9.75, true};
constexpr FontChoice kTimeStampFont{u"Tahoma", 12, true};
constexpr FontChoice kLargeFont{u"Tahoma", 15.75, false};

constexpr WindowLayout kWindow{u"frmVELD", u"VELD - 6  Digits Serial Display", 10845, 8520};

// clang-format off
constexpr auto kControls = std::to_array<ControlEntry>({
    // Frames on the window
    {.name = u"Frame1", .type = Frame, .caption = u"Serial Display", .left = 360, .top = 360, .width = 10215, .height = 2055, .tabIndex = 1},
    {.name = u"Frame2", .type = Frame, .caption = u"Real Time Clock", .left = 360, .top = 2640, .width = 4935, .height = 1575, .tabIndex = 5},
    {.name = u"Frame4", .type = Frame, .caption = u"Count Down Timer", .left = 5520, .top = 2640, .width = 4935, .height = 1575, .tabIndex = 22},
    {.name = u"Frame3", .type = Frame, .caption = u"Thermometer", .left = 360, .top = 4320, .width = 9015, .height = 1215, .tabIndex = 16},
    {.name = u"Frame6", .type = Frame, .caption = u"Event Counter", .left = 360, .top = 5760, .width = 4935, .height = 1455, .tabIndex = 32},

    // Serial Display
    {.name = u"lblserial", .type = Label, .caption = u"Key in ASCII characters to be displayed. (MAX 6).", .container = u"Frame1", .left = 1680, .top = 240, .width = 3615, .height = 255, .tabIndex = 2},
    {.name = u"lblserial1", .type = Label, .caption = u"Valid Characters are 0 to 9, A,b,C,c,d,E,F,H,h,I,J,L,n,o,P,r,S,U,u,y,- and SPACE", .container = u"Frame1", .left = 1560, .top = 600, .width = 3735, .height = 495, .tabIndex = 3},
    {.name = u"cmdSendAscii", .type = Button, .caption = u"Send ASCII", .container = u"Frame1", .left = 5400, .top = 240, .width = 1215, .height = 495, .tabIndex = 4},
    {.name = u"cmdSetDP", .type = Button, .caption = u"Set Decimal Point", .container = u"Frame1", .left = 5400, .top = 840, .width = 1215, .height = 495, .tabIndex = 45},
    {.name = u"optDP1", .type = OptionButton, .caption = u"Decimal Point 1", .container = u"Frame1", .left = 6960, .top = 240, .width = 1695, .height = 255, .tabIndex = 11},
    {.name = u"optDP2", .type = OptionButton, .caption = u"Decimal Point 2", .container = u"Frame1", .left = 8640, .top = 240, .width = 1455, .height = 255, .tabIndex = 10},
    {.name = u"optDP3", .type = OptionButton, .caption = u"Decimal Point 3", .container = u"Frame1", .left = 6960, .top = 600, .width = 1455, .height = 255, .tabIndex = 9},
    {.name = u"optDP4", .type = OptionButton, .caption = u"Decimal Point 4", .container = u"Frame1", .left = 8640, .top = 600, .width = 1455, .height = 255, .tabIndex = 8},
    {.name = u"optDP5", .type = OptionButton, .caption = u"Decimal Point 5", .container = u"Frame1", .left = 6960, .top = 960, .width = 1455, .height = 255, .tabIndex = 46},
    {.name = u"optDP6", .type = OptionButton, .caption = u"Decimal Point 6", .container = u"Frame1", .left = 8640, .top = 960, .width = 1455, .height = 255, .tabIndex = 47},
    {.name = u"optOFFDP", .type = OptionButton, .caption = u"OFF All Decimal Point", .container = u"Frame1", .left = 7560, .top = 1440, .width = 2175, .height = 255, .tabIndex = 12},
    {.name = u"lblButton1", .type = Label, .caption = u"Button 1 Pressed", .container = u"Frame1", .left = 240, .top = 1440, .width = 1815, .height = 255, .tabIndex = 36, .font = kButtonLabelFont, .colour = &kGreen, .visible = false},
    {.name = u"lblButton2", .type = Label, .caption = u"Button 2 Pressed", .container = u"Frame1", .left = 2280, .top = 1440, .width = 1935, .height = 375, .tabIndex = 37, .font = kButtonLabelFont, .colour = &kRed, .visible = false},
    {.name = u"lblButton3", .type = Label, .caption = u"Button 3 Pressed", .container = u"Frame1", .left = 4320, .top = 1440, .width = 1935, .height = 375, .tabIndex = 38, .font = kButtonLabelFont, .colour = &kDarkBlue, .visible = false},

    // On the window, over Frame1 and drawn above it
    {.name = u"txtDigit", .type = TextBox, .left = 480, .top = 840, .width = 1335, .height = 495, .tabIndex = 0, .font = kLargeFont, .colour = &kRed, .align = TextAlign::Centre, .maxLength = 6},

    // Real Time Clock
    {.name = u"lblTIME", .type = Label, .container = u"Frame2", .left = 360, .top = 240, .width = 1455, .height = 495, .tabIndex = 6, .font = {u"Times New Roman", 18, false}, .colour = &kDarkBlue, .align = TextAlign::Centre, .border = true},
    {.name = u"cmdSetRTC", .type = Button, .caption = u"Set Current Time", .container = u"Frame2", .left = 480, .top = 840, .width = 1335, .height = 495, .tabIndex = 7},
    {.name = u"lblHour", .type = Label, .container = u"Frame2", .left = 2760, .top = 360, .width = 375, .height = 255, .tabIndex = 39, .font = kTimeStampFont, .colour = &kDarkBlue},
    {.name = u"Label1", .index = 0, .type = Label, .caption = u":", .container = u"Frame2", .left = 3120, .top = 360, .width = 135, .height = 375, .tabIndex = 40, .font = kTimeStampFont},
    {.name = u"lblMin", .type = Label, .container = u"Frame2", .left = 3360, .top = 360, .width = 375, .height = 255, .tabIndex = 41, .font = kTimeStampFont, .colour = &kDarkBlue},
    {.name = u"Label1", .index = 1, .type = Label, .caption = u":", .container = u"Frame2", .left = 3840, .top = 360, .width = 135, .height = 375, .tabIndex = 42, .font = kTimeStampFont},
    {.name = u"lblSec", .type = Label, .container = u"Frame2", .left = 4080, .top = 360, .width = 495, .height = 255, .tabIndex = 43, .font = kTimeStampFont, .colour = &kDarkBlue},
    {.name = u"cmdTimeStamp", .type = Button, .caption = u"Get Time Stamp", .container = u"Frame2", .left = 2760, .top = 840, .width = 1575, .height = 495, .tabIndex = 44},

    // Count Down Timer
    {.name = u"lblcdmin", .type = Label, .caption = u"Minutes", .container = u"Frame4", .left = 240, .top = 720, .width = 615, .height = 255, .tabIndex = 23},
    {.name = u"lblcdsec", .type = Label, .caption = u"Seconds", .container = u"Frame4", .left = 240, .top = 1080, .width = 735, .height = 255, .tabIndex = 24},
    {.name = u"txtCDMin", .type = TextBox, .container = u"Frame4", .left = 960, .top = 720, .width = 375, .height = 285, .tabIndex = 25, .maxLength = 2},
    {.name = u"txtCDSec", .type = TextBox, .container = u"Frame4", .left = 960, .top = 1080, .width = 375, .height = 285, .tabIndex = 26, .maxLength = 2},
    {.name = u"cmdCDSet", .type = Button, .caption = u"Set Interval", .container = u"Frame4", .left = 1680, .top = 360, .width = 735, .height = 495, .tabIndex = 27},
    {.name = u"cmdStartStop", .type = Button, .caption = u"Start/Stop", .container = u"Frame4", .left = 2640, .top = 360, .width = 975, .height = 495, .tabIndex = 28, .enabled = false},
    {.name = u"cmdReset", .type = Button, .caption = u"Reset", .container = u"Frame4", .left = 3720, .top = 360, .width = 855, .height = 495, .tabIndex = 29, .enabled = false},
    {.name = u"lblCDHR", .type = Label, .caption = u"Hours", .container = u"Frame4", .left = 240, .top = 360, .width = 615, .height = 255, .tabIndex = 48},
    {.name = u"txtCDHour", .type = TextBox, .container = u"Frame4", .left = 960, .top = 360, .width = 375, .height = 285, .tabIndex = 49},

    // Thermometer
    {.name = u"lblTemp", .type = Label, .container = u"Frame3", .left = 480, .top = 480, .width = 975, .height = 495, .tabIndex = 17, .font = {u"Tahoma", 18, false}, .colour = &kRed},
    {.name = u"lblUnit", .type = Label, .container = u"Frame3", .left = 1200, .top = 480, .width = 615, .height = 615, .tabIndex = 18, .font = kLargeFont, .colour = &kRed, .align = TextAlign::Centre},
    {.name = u"cmdTemp", .type = Button, .caption = u"Show Temperature", .container = u"Frame3", .left = 2160, .top = 480, .width = 1335, .height = 495, .tabIndex = 19},
    {.name = u"optCEL", .type = OptionButton, .caption = u"Celsius", .container = u"Frame3", .left = 5760, .top = 360, .width = 1575, .height = 255, .tabIndex = 20},
    {.name = u"optFAH", .type = OptionButton, .caption = u"Fahrenheit", .container = u"Frame3", .left = 5760, .top = 840, .width = 1815, .height = 255, .tabIndex = 21},

    // Event Counter
    {.name = u"optCountEn", .type = OptionButton, .caption = u"Enable", .container = u"Frame6", .left = 360, .top = 480, .width = 975, .height = 255, .tabIndex = 33},
    {.name = u"optCountDis", .type = OptionButton, .caption = u"Disable", .container = u"Frame6", .left = 360, .top = 960, .width = 975, .height = 255, .tabIndex = 34},
    {.name = u"lblCounter", .type = Label, .caption = u"0000", .container = u"Frame6", .left = 2520, .top = 720, .width = 855, .height = 495, .tabIndex = 35, .font = kLargeFont, .colour = &kRed, .align = TextAlign::Centre},

    // Along the bottom of the window
    {.name = u"cmdFlash", .type = Button, .caption = u"Toggle Display Flashing Mode", .left = 360, .top = 7680, .width = 1455, .height = 615, .tabIndex = 13},
    {.name = u"cmdOnBuz", .type = Button, .caption = u"Turn On Buzzer", .left = 2040, .top = 7680, .width = 1095, .height = 615, .tabIndex = 14},
    {.name = u"cmdOffBuz", .type = Button, .caption = u"Turn Off Buzzer", .left = 3360, .top = 7680, .width = 1095, .height = 615, .tabIndex = 15},
    {.name = u"cmdOnOut", .type = Button, .caption = u"Turn On Output 1", .left = 5040, .top = 7680, .width = 1095, .height = 615, .tabIndex = 30},
    {.name = u"cmdOFFOut", .type = Button, .caption = u"Turn Off Output 1", .left = 6240, .top = 7680, .width = 1095, .height = 615, .tabIndex = 31},
    {.name = u"cmdOnOut2", .type = Button, .caption = u"Turn On Output 2", .left = 7560, .top = 7680, .width = 1095, .height = 615, .tabIndex = 50},
    {.name = u"cmdOffOut2", .type = Button, .caption = u"Turn Off Output 2", .left = 8760, .top = 7680, .width = 1095, .height = 615, .tabIndex = 51},
});

constexpr std::array<MenuItemEntry, 5> kCommItems{{
    {u"mnuCOM1", u"COM1", true},
    {u"mnuCOM2", u"COM2"},
    {u"mnuCOM3", u"COM3"},
    {u"mnuCOM4", u"COM4"},
    {u"mnuCOM5", u"COM5"},
}};
constexpr std::array<MenuItemEntry, 5> kBaudItems{{
    {u"mnu12", u"1200bps"},
    {u"mnu24", u"2400bps"},
    {u"mnu48", u"4800bps"},
    {u"mnu96", u"9600bps"},
    {u"mnu192", u"19200bps"},
}};
constexpr std::array<MenuItemEntry, 5> kModuleBaudItems{{
    {u"mnum12", u"1200bps"},
    {u"mnum24", u"2400bps"},
    {u"mnum48", u"4800bps"},
    {u"mnum96", u"9600bps"},
    {u"mnum192", u"19200bps"},
}};
constexpr std::array<MenuItemEntry, 6> kStartItems{{
    {u"mnuF1", u"F&1 Real Time Clock"},
    {u"mnuF2", u"F&2 Countdown Timer"},
    {u"mnuF3", u"F&3 Show Temperature"},
    {u"mnuF4", u"F&4 Show Temperature and Time"},
    {u"mnuF5", u"F&5 Counter"},
    {u"mnuF6", u"F&6 Display Mode"},
}};
// clang-format on

constexpr std::array<MenuEntry, 4> kMenus{{
    {u"mnuComm", u"&Comm Setting", kCommItems, true},
    {u"mnuBaud", u"&Baud Rate", kBaudItems, true},
    {u"mnuMbaud", u"&Module Baud Rate", kModuleBaudItems},
    {u"mnuStart", u"&Startup Function", kStartItems},
}};

constexpr std::array<TimerEntry, 2> kTimers{{
    {u"Timer1", 500},
    {u"Timer2", 2000},
}};
} // namespace

const WindowLayout& windowLayout() {
    return kWindow;
}
std::span<const ControlEntry> controlTable() {
    return kControls;
}
std::span<const MenuEntry> menuTable() {
    return kMenus;
}
std::span<const TimerEntry> timerTable() {
    return kTimers;
}

} // namespace veld::ui
