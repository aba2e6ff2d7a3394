#include "app/Placement.h"

#include "common/SideBySide.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWindow>
#include <algorithm>

namespace veld::app {

namespace {
// The window system's frame around `window`; none until it has a handle.
QMargins frameMargins(const QWidget& window) {
    return window.windowHandle() ? window.windowHandle()->frameMargins() : QMargins();
}

// The central widget in a scroll area, with scroll bars where they are needed,
// the window at `size`.
void scrollCentralWidget(QMainWindow& window, QSize size) {
    auto* area = qobject_cast<QScrollArea*>(window.centralWidget());
    if (!area) {
        area = new QScrollArea;
        area->setFrameShape(QFrame::NoFrame);
        // Moving the content clears its focus: the keyboard would reach nothing.
        QWidget* focused = window.focusWidget();
        area->setWidget(window.takeCentralWidget());
        window.setCentralWidget(area);
        if (focused)
            focused->setFocus();
    }
    window.layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    window.setFixedSize(size);
}
} // namespace

QPoint placedAt(const QSize& window, const QRect& available) {
    if (window.width() > available.width() || window.height() > available.height())
        return available.topLeft();
    return QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window, available).topLeft();
}

QRect availableUnderPointer() {
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void placeOnScreen(QMainWindow& window, const QRect& available, Company company) {
    if (available.isEmpty())
        return;
    window.adjustSize();
    // Made now, so that the platform can tell its frame where it knows it.
    window.winId();
    const QMargins margins = frameMargins(window);
    const QSize room = available.size().shrunkBy(margins);
    QSize size = window.size();
    if (size.width() > room.width() || size.height() > room.height()) {
        // A scroll bar in one direction takes room from the other.
        const int bar = window.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        if (size.height() > room.height())
            size.rwidth() += bar;
        if (size.width() > room.width())
            size.rheight() += bar;
        scrollCentralWidget(window, size.boundedTo(room));
    }
    const QSize frame = window.size().grownBy(margins);
    QRect area = available;
    if (company == Company::BesideModule) {
        using common::kFrameGuess;
        if (const auto pair = common::sideBySide(
                frame, common::kModuleWindowSize.grownBy(kFrameGuess), available))
            area = pair->panel;
    }
    // The frame centred, or at the top left so that its title bar is on the screen.
    const QPoint at = placedAt(frame, area);
    if (at == available.topLeft())
        window.move(at);
    else
        window.setGeometry(QRect(at + QPoint(margins.left(), margins.top()), window.size()));
}

QRect inside(QRect frame, const QRect& available) {
    frame.setSize(frame.size().boundedTo(available.size()));
    frame.moveRight(std::min(frame.right(), available.right()));
    frame.moveLeft(std::max(frame.left(), available.left()));
    frame.moveBottom(std::min(frame.bottom(), available.bottom()));
    frame.moveTop(std::max(frame.top(), available.top()));
    return frame;
}

QRect besidePanel(const QRect& panelFrame, const QSize& size, int minimumWidth,
                  const QRect& available) {
    const int right = available.right() - panelFrame.right();
    const int left = panelFrame.left() - available.left();
    const int room = std::max(left, right);
    QRect place(QPoint(0, panelFrame.top()), size);
    // Narrower rather than over the panel, while it stays usable.
    if (size.width() > room && room >= minimumWidth)
        place.setWidth(room);
    if (right >= place.width() || right >= left)
        place.moveLeft(panelFrame.right() + 1);
    else
        place.moveRight(panelFrame.left() - 1);
    return inside(place, available);
}

QRect trafficPlace(const QWidget& panel, const QWidget& traffic, std::optional<QRect> stored) {
    const QScreen* screen = panel.screen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    // Placed as a frame inside the free area, title bar and buttons on the
    // screen; the panel's frame margins stand in for its own, which it gets
    // only when shown.
    const QMargins margins = frameMargins(panel);
    const QRect place = stored.value_or(QRect());
    const QRect frame =
        available.intersects(place)
            ? inside(place + margins, available)
            : besidePanel(panel.frameGeometry(), traffic.size().grownBy(margins),
                          traffic.minimumSizeHint().width() + margins.left() + margins.right(),
                          available);
    return frame - margins;
}

} // namespace veld::app
