#pragma once

#include <QHash>
#include <QPointer>
#include <QString>

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QObject;
class QPushButton;
class QRadioButton;
class QTimer;
class QWidget;

namespace veld::ui {

// The built window's controls, reached by their names in the layout table.
// An element of a control array is named "Label1(0)". Asking for a name that
// is not there, or for the wrong kind of control, is a programming error.
class Controls {
public:
    QGroupBox* frame(const QString& name) const;
    QLabel* label(const QString& name) const;
    QPushButton* button(const QString& name) const;
    QRadioButton* option(const QString& name) const;
    QLineEdit* textBox(const QString& name) const;
    QMenu* menu(const QString& name) const;
    QAction* menuItem(const QString& name) const;
    QTimer* timer(const QString& name) const;
    QWidget* widget(const QString& name) const;
    QObject* object(const QString& name) const;

    // Clears an option button's selection, which its group's exclusivity
    // otherwise forbids; no click handler runs.
    void deselect(QRadioButton* option) const;

    QStringList names() const;

    void add(const QString& name, QObject* object);
    void addGroup(QRadioButton* option, QButtonGroup* group);

private:
    template <typename T> T* typed(const QString& name) const;

    QHash<QString, QPointer<QObject>> m_objects;
    QHash<QRadioButton*, QPointer<QButtonGroup>> m_groups;
};

} // namespace veld::ui
