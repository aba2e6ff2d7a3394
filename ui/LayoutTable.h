#pragma once

#include <QStringView>
#include <span>

namespace veld::ui {

enum class ControlType { Frame, Label, Button, OptionButton, TextBox };
enum class TextAlign { Left, Centre };

struct FontChoice {
    QStringView family = {}; // empty: the window's default font
    double pointSize = 0;
    bool bold = false;
};

struct Colour {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// One control as laid out: positions and sizes in twips, relative to its
// container's outer corner (the client area for the window itself).
struct ControlEntry {
    QStringView name = {};
    int index = -1; // element of a control array, -1 when not one
    ControlType type = ControlType::Label;
    QStringView caption = {};
    QStringView container = {}; // empty: the window itself
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int tabIndex = 0;
    FontChoice font{};
    const Colour* colour = nullptr; // nullptr: default text colour
    TextAlign align = TextAlign::Left;
    bool border = false;
    bool enabled = true;
    bool visible = true;
    int maxLength = 0; // text boxes; 0: no limit
};

struct MenuItemEntry {
    QStringView name = {};
    QStringView caption = {};
    bool checked = false;
};

struct MenuEntry {
    QStringView name = {};
    QStringView caption = {};
    std::span<const MenuItemEntry> items = {};
    bool checkMarks = false; // whether its items ever show a check mark
};

struct TimerEntry {
    QStringView name = {};
    int intervalMs = 0;
};

struct WindowLayout {
    QStringView name = {};
    QStringView title = {}; // the address is appended at build time
    int clientWidth = 0;
    int clientHeight = 0;
};

const WindowLayout& windowLayout();
std::span<const ControlEntry> controlTable();
std::span<const MenuEntry> menuTable();
std::span<const TimerEntry> timerTable();

} // namespace veld::ui
