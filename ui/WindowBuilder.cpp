#include "ui/WindowBuilder.h"

#include "ui/LayoutTable.h"
#include "ui/Twips.h"

#include <QAction>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace veld::ui {

namespace {

// An option button that stays a Tab stop of its own. Qt takes the Tab stop away
// from the other buttons of a group whenever one of them gets the focus, so the
// Tab walk would depend on which option last had the focus and would jump over
// the rest of the group. Here every enabled option keeps its place in the
// order; the arrow keys still move within the group.
class OptionButton final : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void focusInEvent(QFocusEvent* event) override {
        QRadioButton::focusInEvent(event);
        if (QButtonGroup* options = group())
            for (QAbstractButton* option : options->buttons())
                option->setFocusPolicy(Qt::StrongFocus);
    }
};

QRect pixelRect(const ControlSpec& s) {
    return {twipsToPixels(s.left), twipsToPixels(s.top), twipsToPixels(s.width),
            twipsToPixels(s.height)};
}

void applyLook(QWidget& w, const ControlSpec& s, QPalette::ColorRole textRole) {
    if (!s.font.family.isEmpty()) {
        QFont font(s.font.family.toString());
        font.setPointSizeF(s.font.pointSize);
        font.setBold(s.font.bold);
        w.setFont(font);
    }
    if (s.colour) {
        QPalette palette = w.palette();
        palette.setColor(textRole, QColor(s.colour->red, s.colour->green, s.colour->blue));
        w.setPalette(palette);
    }
}

QWidget* createControl(const ControlSpec& s, QWidget* parent) {
    switch (s.type) {
    case ControlType::Frame: {
        auto* frame = new QGroupBox(s.caption.toString(), parent);
        frame->setFocusPolicy(Qt::NoFocus);
        return frame;
    }
    case ControlType::Label: {
        auto* label = new QLabel(s.caption.toString(), parent);
        label->setWordWrap(true);
        label->setAlignment((s.align == TextAlign::Centre ? Qt::AlignHCenter : Qt::AlignLeft) |
                            Qt::AlignTop);
        if (s.border) {
            label->setFrameStyle(QFrame::Box | QFrame::Plain);
            label->setLineWidth(1);
        }
        label->setFocusPolicy(Qt::NoFocus);
        applyLook(*label, s, QPalette::WindowText);
        return label;
    }
    case ControlType::Button: {
        auto* button = new QPushButton(s.caption.toString(), parent);
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::StrongFocus);
        applyLook(*button, s, QPalette::ButtonText);
        return button;
    }
    case ControlType::OptionButton: {
        auto* option = new OptionButton(s.caption.toString(), parent);
        option->setFocusPolicy(Qt::StrongFocus);
        applyLook(*option, s, QPalette::WindowText);
        return option;
    }
    case ControlType::TextBox: {
        auto* text = new QLineEdit(parent);
        text->setMaxLength(s.maxLength > 0 ? s.maxLength : 32767);
        text->setAlignment(s.align == TextAlign::Centre ? Qt::AlignCenter
                                                        : Qt::AlignLeft | Qt::AlignVCenter);
        text->setFocusPolicy(Qt::StrongFocus);
        applyLook(*text, s, QPalette::Text);
        return text;
    }
    }
    return nullptr;
}

bool takesFocus(ControlType type) {
    return type == ControlType::Button || type == ControlType::OptionButton ||
           type == ControlType::TextBox;
}

} // namespace

QString WindowBuilder::controlKey(const ControlSpec& spec) {
    return spec.index < 0 ? spec.name.toString()
                          : QStringLiteral("%1(%2)").arg(spec.name).arg(spec.index);
}

Controls WindowBuilder::build(QMainWindow& window, const QString& webAddress) {
    Controls controls;
    const WindowSpec& ws = windowSpec();
    window.setObjectName(ws.name.toString());
    window.setWindowTitle(ws.title.toString() + QStringLiteral(" (") + webAddress + u')');

    auto* client = new QWidget(&window);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(twipsToPixels(ws.clientWidth), twipsToPixels(ws.clientHeight));
    window.setCentralWidget(client);
    window.layout()->setSizeConstraint(QLayout::SetFixedSize);

    // Frames first, so that the controls inside them have their parent.
    QHash<QString, QWidget*> containers;
    QHash<QWidget*, QButtonGroup*> optionGroups;
    std::vector<std::pair<int, QWidget*>> focusOrder;
    for (int pass = 0; pass < 2; ++pass) {
        for (const ControlSpec& s : controlTable()) {
            if ((s.type == ControlType::Frame) != (pass == 0))
                continue;
            QWidget* parent =
                s.container.isEmpty() ? client : containers.value(s.container.toString());
            Q_ASSERT(parent);
            QWidget* w = createControl(s, parent);
            const QString key = controlKey(s);
            w->setObjectName(key);
            w->setGeometry(pixelRect(s));
            w->setEnabled(s.enabled);
            w->setVisible(s.visible);
            controls.add(key, w);
            if (s.type == ControlType::Frame)
                containers.insert(key, w);
            if (s.type == ControlType::OptionButton) {
                QButtonGroup*& group = optionGroups[parent];
                if (!group)
                    group = new QButtonGroup(parent);
                auto* option = static_cast<QRadioButton*>(w);
                group->addButton(option);
                controls.addGroup(option, group);
            }
            if (takesFocus(s.type))
                focusOrder.emplace_back(s.tabIndex, w);
            // A window control lying over a frame is drawn above it.
            if (s.container.isEmpty() && s.type != ControlType::Frame)
                w->raise();
        }
    }

    std::ranges::sort(focusOrder, {}, &std::pair<int, QWidget*>::first);
    for (std::size_t i = 1; i < focusOrder.size(); ++i)
        QWidget::setTabOrder(focusOrder[i - 1].second, focusOrder[i].second);
    // The first control of the tab order has the focus when the window opens.
    if (!focusOrder.empty())
        focusOrder.front().second->setFocus();

    for (const MenuSpec& ms : menuTable()) {
        QMenu* menu = window.menuBar()->addMenu(ms.caption.toString());
        menu->setObjectName(ms.name.toString());
        controls.add(ms.name.toString(), menu);
        for (const MenuItemSpec& item : ms.items) {
            QAction* action = menu->addAction(item.caption.toString());
            action->setObjectName(item.name.toString());
            // Not exclusive: the handlers move the marks themselves.
            action->setCheckable(ms.checkMarks);
            action->setChecked(item.checked);
            controls.add(item.name.toString(), action);
        }
    }

    for (const TimerSpec& ts : timerTable()) {
        auto* timer = new QTimer(&window);
        timer->setObjectName(ts.name.toString());
        timer->setInterval(ts.intervalMs);
        timer->start();
        controls.add(ts.name.toString(), timer);
    }
    return controls;
}

} // namespace veld::ui
