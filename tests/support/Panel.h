#pragma once

#include "app/frmVELD.h"
#include "support/PtyPair.h"
#include "ui_frmVELD.h"

#include <QList>
#include <QSettings>
#include <QTime>
#include <functional>
#include <map>
#include <memory>

namespace veld::test {

// What was logged since the last clear, as "category: message" lines; printed too.
QString& logged();

struct Box {
    QString title;
    QString text;
    QString detail;
};

// The real window with its seams caught: message boxes are recorded (and count
// as dismissed at once), the clock reads a time the test sets, and every COM
// item leads to a missing device until the test gives it a pty.
class Panel {
public:
    Panel();
    ~Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    // COMn's pty, made and mapped on first use.
    PtyPair& pty(int n);
    static void map(int n, const QString& device);
    static QSettings settings();                                 // the panel's settings file
    static void store(const QString& key, const QString& value); // group Properties
    static QString stored(const QString& key);                   // empty when absent

    // A new window, after start-up.
    app::frmVELD& start();
    // Started on COM1's pty, with the start-up frame taken off the line.
    app::frmVELD& open();

    app::frmVELD& w() { return *m_window; }
    const Ui::frmVELD& ui() const { return m_window->form(); }

    // The nine controls that need a port, + enabled, - not: the six buttons,
    // then the menus Baud Rate, Module Baud Rate and Startup Function.
    std::string portControls() const;

    void tick();  // one Timer1 tick, through the timer's connection
    void tick2(); // one Timer2 tick
    // COM1's module sends these bytes ("FE 05 00 FF"), then Timer1 ticks.
    void receive(const char* hex);
    // What COM1's module heard: waits for `count` bytes, then takes what follows at once.
    QByteArray heard(qsizetype count = 0);
    // Clicks a button or option, or picks a menu item, the way a user does. A
    // disabled control is enabled first: its handler is reached in a state the
    // window's own flows keep it out of.
    static void press(QObject* control);

    QList<Box> boxes;
    std::function<void()> whileBoxShown;
    QTime now{12, 0, 0};

private:
    std::map<int, std::unique_ptr<PtyPair>> m_ptys;
    std::unique_ptr<app::frmVELD> m_window;
};

} // namespace veld::test
