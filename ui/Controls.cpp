#include "ui/Controls.h"

#include <QAction>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace veld::ui {

template <typename T> T* Controls::typed(const QString& name) const {
    T* result = qobject_cast<T*>(m_objects.value(name).data());
    if (!result)
        qFatal("no control named %s of the requested kind", qUtf8Printable(name));
    return result;
}

QGroupBox* Controls::frame(const QString& name) const {
    return typed<QGroupBox>(name);
}
QLabel* Controls::label(const QString& name) const {
    return typed<QLabel>(name);
}
QPushButton* Controls::button(const QString& name) const {
    return typed<QPushButton>(name);
}
QRadioButton* Controls::option(const QString& name) const {
    return typed<QRadioButton>(name);
}
QLineEdit* Controls::textBox(const QString& name) const {
    return typed<QLineEdit>(name);
}
QMenu* Controls::menu(const QString& name) const {
    return typed<QMenu>(name);
}
QAction* Controls::menuItem(const QString& name) const {
    return typed<QAction>(name);
}
QTimer* Controls::timer(const QString& name) const {
    return typed<QTimer>(name);
}
QWidget* Controls::widget(const QString& name) const {
    return typed<QWidget>(name);
}
QObject* Controls::object(const QString& name) const {
    return typed<QObject>(name);
}

void Controls::deselect(QRadioButton* option) const {
    QButtonGroup* group = m_groups.value(option).data();
    if (group)
        group->setExclusive(false);
    option->setChecked(false);
    if (group)
        group->setExclusive(true);
}

QStringList Controls::names() const {
    return m_objects.keys();
}

void Controls::add(const QString& name, QObject* object) {
    m_objects.insert(name, object);
}

void Controls::addGroup(QRadioButton* option, QButtonGroup* group) {
    m_groups.insert(option, group);
}

} // namespace veld::ui
