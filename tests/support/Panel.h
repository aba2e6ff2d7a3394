#pragma once

#include "app/frmVELD.h"
#include "serial/PortMap.h"
#include "support/PtyPair.h"
#include "ui_frmVELD.h"

#include <QAction>
#include <QFile>
#include <QList>
#include <QSettings>
#include <QTime>
#include <functional>
#include <map>
#include <memory>

namespace veld::test {

// What was logged since the last clear, as "category: message" lines; printed too.
inline QString& logged() {
    static QString lines;
    static const QtMessageHandler print =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& c, const QString& m) {
            lines += QString::fromLatin1(c.category) + u": "_s + m + u'\n';
            print(type, c, m);
        });
    return lines;
}

// + for each item that is checked (or as `is` says), - for one that is not.
template <class Item>
std::string marks(std::initializer_list<const Item*> items,
                  bool (Item::*is)() const = &Item::isChecked) {
    std::string marks;
    for (const Item* item : items)
        marks += (item->*is)() ? '+' : '-';
    return marks;
}

struct Box {
    QString title, text, detail;
};

// The real window with its seams caught: boxes are recorded (dismissed at
// once), the clock is the test's, each COM item is missing until given a pty.
class Panel {
public:
    Panel() {
        settings().clear();
        for (int n = serial::kFirstPort; n <= serial::kLastPort; ++n)
            map(n, u"/nonexistent/veld-test/COM%1"_s.arg(n));
    }
    ~Panel() { m_window.reset(); } // before the ptys it may have open
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    // COMn's pty, made and mapped on first use.
    PtyPair& pty(int n) {
        auto& pty = m_ptys[n];
        if (!pty) {
            pty = std::make_unique<PtyPair>();
            map(n, pty->slavePath());
        }
        return *pty;
    }
    static void map(int n, const QString& device) {
        qputenv(u"VELD_COM%1"_s.arg(n).toLatin1().constData(), QFile::encodeName(device));
    }
    // The panel's settings file, and a value in its group Properties (empty when absent).
    static QSettings settings() {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, u"VELD"_s, u"VELD"_s);
    }
    static void store(const QString& key, const QString& value) {
        settings().setValue(u"Properties/"_s + key, value);
    }
    static QString stored(const QString& key) {
        return settings().value(u"Properties/"_s + key).toString();
    }

    // A new window, after start-up.
    app::frmVELD& start() {
        m_window.reset();
        m_window = std::make_unique<app::frmVELD>();
        m_window->setMessageBox(
            [this](QWidget*, const QString& title, const QString& text, const QString& detail) {
                if (whileBoxShown)
                    whileBoxShown();
                boxes.append({title, text, detail});
            });
        m_window->setClock([this] { return now; });
        m_window->Form_Load();
        return *m_window;
    }
    // Started on COM1's pty, with the start-up frame taken off the line.
    app::frmVELD& open() {
        pty(1);
        start();
        heard(3);
        return *m_window;
    }

    // Shown and active, so that keys and clicks reach it.
    bool show() {
        m_window->show();
        m_window->activateWindow();
        return QTest::qWaitForWindowActive(m_window.get());
    }
    app::frmVELD& w() { return *m_window; }
    const Ui::frmVELD& ui() const { return m_window->form(); }

    // The nine controls that need a port, + enabled, - not: the six buttons,
    // then the menus Baud Rate, Module Baud Rate and Startup Function.
    std::string portControls() const {
        const Ui::frmVELD& u = ui();
        return marks<QWidget>({u.cmdSendAscii, u.cmdSetDP, u.cmdSetRTC, u.cmdTemp, u.cmdCDSet,
                               u.cmdTimeStamp, u.mnuBaud, u.mnuMbaud, u.mnuStart},
                              &QWidget::isEnabled);
    }

    // The check marks of COM1 to COM5, and of 1200 to 19200 bit/s.
    std::string portMarks() const { return menuMarks(ui().mnuComm).substr(0, 5); }
    std::string speedMarks() const { return menuMarks(ui().mnuBaud); }
    static std::string menuMarks(const QMenu* menu) {
        std::string marks;
        for (const QAction* item : menu->actions())
            marks += !item->isCheckable() ? "" : item->isChecked() ? "+" : "-";
        return marks;
    }

    // One tick of Timer1 or Timer2, through the timer's connection.
    void tick() { fire(m_window->timer1()); }
    void tick2() { fire(m_window->timer2()); }
    // COM1's module sends these bytes ("FE 05 00 FF"), then Timer1 ticks.
    void receive(const char* text) {
        pty(1).send(hex(text));
        tick();
    }
    // What COM1's module heard: waits for `count` bytes, then takes what follows at once.
    QByteArray heard(qsizetype count = 0) {
        return count > 0 ? pty(1).receive(count) : pty(1).receiveFor(30);
    }
    // Clicks a button or option, or picks a menu item, as a user does; a disabled
    // control is enabled first, to reach its handler where the flows do not.
    static void press(QObject* control) {
        if (auto* item = qobject_cast<QAction*>(control)) {
            item->trigger();
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            button->setEnabled(true);
            button->click();
        }
    }

    QList<Box> boxes;
    std::function<void()> whileBoxShown;
    QTime now{12, 0, 0};

private:
    static void fire(QTimer& timer) {
        QMetaObject::invokeMethod(&timer, "timeout", Qt::DirectConnection);
    }

    std::map<int, std::unique_ptr<PtyPair>> m_ptys;
    std::unique_ptr<app::frmVELD> m_window;
};

} // namespace veld::test
