#include "support/NamedControls.h"

#include "app/frmVELD.h"

#include <QAction>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

namespace veld::test {

template <typename T> T* NamedControls::find(const QString& name) const {
    T* found = m_window->findChild<T*>(name);
    if (!found)
        qFatal("no control named %s of the requested kind", qUtf8Printable(name));
    return found;
}

QGroupBox* NamedControls::frame(const QString& name) const {
    return find<QGroupBox>(name);
}
QLabel* NamedControls::label(const QString& name) const {
    return find<QLabel>(name);
}
QPushButton* NamedControls::button(const QString& name) const {
    return find<QPushButton>(name);
}
QRadioButton* NamedControls::option(const QString& name) const {
    return find<QRadioButton>(name);
}
QLineEdit* NamedControls::textBox(const QString& name) const {
    return find<QLineEdit>(name);
}
QMenu* NamedControls::menu(const QString& name) const {
    return find<QMenu>(name);
}
QAction* NamedControls::menuItem(const QString& name) const {
    return find<QAction>(name);
}
QTimer* NamedControls::timer(const QString& name) const {
    if (name == QStringLiteral("Timer1"))
        return &m_window->timer1();
    if (name == QStringLiteral("Timer2"))
        return &m_window->timer2();
    qFatal("no timer named %s", qUtf8Printable(name));
}
QObject* NamedControls::object(const QString& name) const {
    if (name.startsWith(QStringLiteral("Timer")))
        return timer(name);
    return find<QObject>(name);
}

QStringList NamedControls::names() const {
    QStringList names;
    for (QObject* o : m_window->findChildren<QObject*>())
        if ((o->isWidgetType() || qobject_cast<QAction*>(o)) && !o->objectName().isEmpty())
            names << o->objectName();
    return names;
}

void NamedControls::click(const QString& name) const {
    if (auto* item = m_window->findChild<QAction*>(name)) {
        item->trigger();
        return;
    }
    auto* button = find<QAbstractButton>(name);
    button->setEnabled(true);
    button->click();
}

void NamedControls::deselect(QRadioButton* option) const {
    QButtonGroup* group = option->group();
    if (group)
        group->setExclusive(false);
    option->setChecked(false);
    if (group)
        group->setExclusive(true);
}

void fire(QTimer& timer) {
    QMetaObject::invokeMethod(&timer, "timeout", Qt::DirectConnection);
}

} // namespace veld::test
