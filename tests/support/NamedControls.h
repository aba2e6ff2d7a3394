#pragma once

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace veld::app {
class frmVELD;
}

namespace veld::test {

// The window's controls by their names, for tests written against names.
class NamedControls {
public:
    explicit NamedControls(app::frmVELD& window)
        : m_window(&window) {}

    QGroupBox* frame(const QString& name) const;
    QLabel* label(const QString& name) const;
    QPushButton* button(const QString& name) const;
    QRadioButton* option(const QString& name) const;
    QLineEdit* textBox(const QString& name) const;
    QMenu* menu(const QString& name) const;
    QAction* menuItem(const QString& name) const;
    QTimer* timer(const QString& name) const;
    QObject* object(const QString& name) const;
    QStringList names() const;
    // Clicks a button or picks a menu item. A disabled button is enabled
    // first: its handler is reached in a state the window keeps it out of.
    void click(const QString& name) const;
    // Clears an option's selection as start-up does when its port fails.
    void deselect(QRadioButton* option) const;

private:
    template <typename T> T* find(const QString& name) const;

    app::frmVELD* m_window = nullptr;
};

// Fires a timer's timeout once, through its real connections.
void fire(QTimer& timer);

} // namespace veld::test
