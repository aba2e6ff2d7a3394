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
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStylePainter>
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

// A push button whose caption wraps onto further lines when it is wider than
// the button, as the fixed button sizes of the layout expect.
class CaptionButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString caption = option.text;
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
        const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
        painter.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                             option.palette, isEnabled(), caption, QPalette::ButtonText);
    }
};

// A group frame with its caption set into the top line of its border, so that
// the controls placed from its outer corner sit inside the border, clear of
// the caption.
class Frame final : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics = fontMetrics();
        // An etched line: a dark one with a light one just inside it.
        const QRect border = rect().adjusted(0, metrics.height() / 2, -1, -1);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(border.adjusted(0, 0, -1, -1));
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(border.adjusted(1, 1, 0, 0));
        if (title().isEmpty())
            return;
        const int gap = metrics.averageCharWidth() / 2 + 1;
        const QRect caption(kCaptionIndent, 0, metrics.horizontalAdvance(title()) + 2 * gap,
                            metrics.height());
        painter.fillRect(caption, palette().window());
        style()->drawItemText(&painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic, palette(),
                              isEnabled(), title(), QPalette::WindowText);
    }

private:
    static constexpr int kCaptionIndent = 6;
};

// Font families to try for a requested face, in order: where the face itself
// is missing, a face of the same build and similar width stands in, so that
// captions fit the fixed control sizes as designed.
QStringList fontFamilies(const QString& requested) {
    if (requested == u"Times New Roman")
        return {requested, QStringLiteral("Liberation Serif"),
                QStringLiteral("DejaVu Serif Condensed"), QStringLiteral("DejaVu Serif")};
    return {requested, QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")};
}

QFont makeFont(const QString& family, double pointSize, bool bold) {
    QFont font(family);
    font.setFamilies(fontFamilies(family));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

// The window's own font, used by every control without a font of its own: the
// usual 8-point dialog face. Its stand-in faces run a little wider, so the
// letters are set a shade closer; that keeps the longest one-line captions
// ("Key in ASCII characters ...", "Decimal Point 3") inside their controls.
QFont windowFont() {
    QFont font = makeFont(QStringLiteral("Tahoma"), 8, false);
    font.setLetterSpacing(QFont::PercentageSpacing, 98);
    return font;
}

QRect pixelRect(const ControlEntry& s) {
    return {twipsToPixels(s.left), twipsToPixels(s.top), twipsToPixels(s.width),
            twipsToPixels(s.height)};
}

void applyLook(QWidget& w, const ControlEntry& s, QPalette::ColorRole textRole) {
    if (!s.font.family.isEmpty())
        w.setFont(makeFont(s.font.family.toString(), s.font.pointSize, s.font.bold));
    if (s.colour) {
        QPalette palette = w.palette();
        palette.setColor(textRole, QColor(s.colour->red, s.colour->green, s.colour->blue));
        w.setPalette(palette);
    }
}

QWidget* createControl(const ControlEntry& s, QWidget* parent) {
    switch (s.type) {
    case ControlType::Frame: {
        auto* frame = new Frame(s.caption.toString(), parent);
        frame->setFocusPolicy(Qt::NoFocus);
        return frame;
    }
    case ControlType::Label: {
        auto* label = new QLabel(s.caption.toString(), parent);
        label->setAlignment((s.align == TextAlign::Centre ? Qt::AlignHCenter : Qt::AlignLeft) |
                            Qt::AlignTop);
        if (s.border) {
            label->setFrameStyle(QFrame::Box | QFrame::Plain);
            label->setLineWidth(1);
        }
        label->setFocusPolicy(Qt::NoFocus);
        applyLook(*label, s, QPalette::WindowText);
        // A label one line high keeps its caption on that line; a wrapped second
        // line would be cut off below it.
        label->setWordWrap(pixelRect(s).height() >= 2 * label->fontMetrics().lineSpacing());
        return label;
    }
    case ControlType::Button: {
        auto* button = new CaptionButton(s.caption.toString(), parent);
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

QString WindowBuilder::controlKey(const ControlEntry& entry) {
    return entry.index < 0 ? entry.name.toString()
                           : QStringLiteral("%1(%2)").arg(entry.name).arg(entry.index);
}

Controls WindowBuilder::build(QMainWindow& window, const QString& webAddress) {
    Controls controls;
    const WindowLayout& ws = windowLayout();
    window.setObjectName(ws.name.toString());
    window.setFont(windowFont());
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
        for (const ControlEntry& s : controlTable()) {
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

    for (const MenuEntry& ms : menuTable()) {
        QMenu* menu = window.menuBar()->addMenu(ms.caption.toString());
        menu->setObjectName(ms.name.toString());
        controls.add(ms.name.toString(), menu);
        for (const MenuItemEntry& item : ms.items) {
            QAction* action = menu->addAction(item.caption.toString());
            action->setObjectName(item.name.toString());
            // Not exclusive: the handlers move the marks themselves.
            action->setCheckable(ms.checkMarks);
            action->setChecked(item.checked);
            controls.add(item.name.toString(), action);
        }
    }

    for (const TimerEntry& ts : timerTable()) {
        auto* timer = new QTimer(&window);
        timer->setObjectName(ts.name.toString());
        timer->setInterval(ts.intervalMs);
        // On time, not coalesced: a coarse timer may drift 5 % either way.
        timer->setTimerType(Qt::PreciseTimer);
        timer->start();
        controls.add(ts.name.toString(), timer);
    }
    return controls;
}

} // namespace veld::ui
