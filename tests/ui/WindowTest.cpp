// The window as created, before start-up: title, client area, placement,
// the text box over the first frame, the menus and the two timers.

#include "app/frmVELD.h"
#include "support/NamedControls.h"
#include "support/TestMain.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct MenuItem {
    QString name;
    QString caption;
};
using MenuItems = QList<MenuItem>;

} // namespace

Q_DECLARE_METATYPE(MenuItems)

class WindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<veld::app::frmVELD> m_window;

    veld::test::NamedControls controls() const { return veld::test::NamedControls(*m_window); }

private slots:
    void init() { m_window = std::make_unique<veld::app::frmVELD>(); }
    void cleanup() { m_window.reset(); }

    void titleNamesTheDisplayAndTheWebAddress() {
        const QString address = QStringLiteral(VELD_WEB_ADDRESS);
        QVERIFY(!address.isEmpty());
        QCOMPARE(m_window->windowTitle(), u"VELD - 6  Digits Serial Display ("_s + address + u')');
        QCOMPARE(m_window->objectName(), u"frmVELD"_s);
    }

    void clientAreaIsFixedBelowTheMenuBar() {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QWidget* client = m_window->centralWidget();
        QVERIFY(client);
        // 10845 by 8520 twips.
        QCOMPARE(client->size(), QSize(723, 568));
        QCOMPARE(client->y(), m_window->menuBar()->geometry().bottom() + 1);
        QCOMPARE(m_window->height(), m_window->menuBar()->height() + 568);
        QCOMPARE(m_window->width(), 723);

        // Nothing grows or shrinks the window.
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
        const QSize before = m_window->size();
        m_window->resize(before + QSize(200, 150));
        QCOMPARE(m_window->size(), before);
        QCOMPARE(client->size(), QSize(723, 568));
    }

    void opensCentredOnTheScreen() {
        const QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        m_window->centreOnScreen();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const QPoint offset =
            m_window->frameGeometry().center() - screen->availableGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(u"off centre by %1, %2"_s.arg(offset.x()).arg(offset.y())));
    }

    void digitBoxLiesOverTheFirstFrameAndIsDrawnAboveIt() {
        QWidget* box = controls().textBox(u"txtDigit"_s);
        QGroupBox* frame = controls().frame(u"Frame1"_s);
        QWidget* client = m_window->centralWidget();
        QCOMPARE(box->parentWidget(), client);
        // 120, 480 twips from the frame's outer corner.
        QCOMPARE(box->pos() - frame->pos(), QPoint(8, 32));
        QVERIFY(frame->geometry().contains(box->geometry()));

        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const QObjectList stacking = client->children(); // bottom first
        QVERIFY(stacking.indexOf(box) > stacking.indexOf(frame));
        for (const QPoint& p : {box->geometry().center(), box->geometry().topLeft() + QPoint(2, 2),
                                box->geometry().bottomRight() - QPoint(2, 2)}) {
            QWidget* hit = client->childAt(p);
            QVERIFY2(hit == box || box->isAncestorOf(hit),
                     qPrintable(hit ? hit->objectName() : u"nothing"_s));
        }
    }

    void everyCaptionFitsItsControl() {
        // The fixed sizes were made for a narrow 8-point dialog face; a wider
        // stand-in cannot fit them, and then there is nothing to check.
        const QString face = QFontInfo(m_window->font()).family();
        if (face != u"Tahoma"_s && face != u"DejaVu Sans Condensed"_s)
            QSKIP(qPrintable(u"no narrow face for the window font, only "_s + face));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

        for (const QString& name : controls().names()) {
            auto* w = qobject_cast<QWidget*>(controls().object(name));
            // Labels filled in while the panel runs are not looked at here.
            if (!w || qobject_cast<QMenu*>(w) || qobject_cast<QLineEdit*>(w) ||
                (qobject_cast<QLabel*>(w) && qobject_cast<QLabel*>(w)->text().isEmpty()))
                continue;
            const QFontMetrics metrics = w->fontMetrics();
            if (auto* button = qobject_cast<QPushButton*>(w)) {
                QStyleOptionButton option;
                option.initFrom(button);
                option.text = button->text();
                const QRect area =
                    button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
                const QRect used =
                    metrics.boundingRect(area, Qt::AlignCenter | Qt::TextWordWrap, button->text());
                QVERIFY2(area.contains(used), qPrintable(name));
            } else if (auto* option = qobject_cast<QRadioButton*>(w)) {
                QStyleOptionButton style;
                style.initFrom(option);
                style.text = option->text();
                const QRect area =
                    option->style()->subElementRect(QStyle::SE_RadioButtonContents, &style, option);
                const QRect ink = metrics.tightBoundingRect(option->text());
                QVERIFY2(
                    ink.right() < area.width(),
                    qPrintable(u"%1: %2 of %3"_s.arg(name).arg(ink.right()).arg(area.width())));
            } else if (auto* label = qobject_cast<QLabel*>(w)) {
                const QRect area = label->contentsRect();
                if (label->wordWrap()) {
                    const QRect used = metrics.boundingRect(
                        area, label->alignment() | Qt::TextWordWrap, label->text());
                    QVERIFY2(used.height() <= area.height(), qPrintable(name));
                } else {
                    // One line: the ink must end inside the label.
                    const QRect ink = metrics.tightBoundingRect(label->text());
                    QVERIFY2(
                        ink.right() < area.width(),
                        qPrintable(u"%1: %2 of %3"_s.arg(name).arg(ink.right()).arg(area.width())));
                }
            } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
                QVERIFY2(metrics.horizontalAdvance(frame->title()) < frame->width() / 2,
                         qPrintable(name));
            }
        }
    }

    void menuBarHoldsTheFourMenusInOrder() {
        const QList<QAction*> bar = m_window->menuBar()->actions();
        const QStringList names{u"mnuComm"_s, u"mnuBaud"_s, u"mnuMbaud"_s, u"mnuStart"_s};
        const QStringList captions{u"&Comm Setting"_s, u"&Baud Rate"_s, u"&Module Baud Rate"_s,
                                   u"&Startup Function"_s};
        const QList<QKeySequence> mnemonics{QKeySequence(u"Alt+C"_s), QKeySequence(u"Alt+B"_s),
                                            QKeySequence(u"Alt+M"_s), QKeySequence(u"Alt+S"_s)};
        QCOMPARE(bar.size(), names.size());
        for (qsizetype i = 0; i < bar.size(); ++i) {
            QMenu* menu = bar[i]->menu();
            QVERIFY(menu);
            QCOMPARE(menu, controls().menu(names[i]));
            QCOMPARE(menu->objectName(), names[i]);
            QCOMPARE(menu->title(), captions[i]);
            QCOMPARE(bar[i]->text(), captions[i]);
            QCOMPARE(QKeySequence::mnemonic(bar[i]->text()), mnemonics[i]);
            QVERIFY(bar[i]->isEnabled());
            QVERIFY(bar[i]->isVisible());
            QVERIFY(bar[i]->shortcut().isEmpty());
        }
    }

    void disablingAMenuGreysItsEntryInTheMenuBar() {
        // Start-up disables the speed and start-up menus as a whole when the port fails.
        QMenu* menu = controls().menu(u"mnuBaud"_s);
        menu->setEnabled(false);
        QVERIFY(!menu->menuAction()->isEnabled());
        QVERIFY(m_window->menuBar()->actions().contains(menu->menuAction()));
        menu->setEnabled(true);
        QVERIFY(menu->menuAction()->isEnabled());
    }

    void menuItems_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<MenuItems>("items");
        QTest::addColumn<bool>("checkMarks");
        QTest::addColumn<QString>("checked");

        QTest::newRow("Comm Setting") << u"mnuComm"_s
                                      << MenuItems{{u"mnuCOM1"_s, u"COM1"_s},
                                                   {u"mnuCOM2"_s, u"COM2"_s},
                                                   {u"mnuCOM3"_s, u"COM3"_s},
                                                   {u"mnuCOM4"_s, u"COM4"_s},
                                                   {u"mnuCOM5"_s, u"COM5"_s}}
                                      << true << u"mnuCOM1"_s;
        QTest::newRow("Baud Rate") << u"mnuBaud"_s
                                   << MenuItems{{u"mnu12"_s, u"1200bps"_s},
                                                {u"mnu24"_s, u"2400bps"_s},
                                                {u"mnu48"_s, u"4800bps"_s},
                                                {u"mnu96"_s, u"9600bps"_s},
                                                {u"mnu192"_s, u"19200bps"_s}}
                                   << true << QString();
        QTest::newRow("Module Baud Rate") << u"mnuMbaud"_s
                                          << MenuItems{{u"mnum12"_s, u"1200bps"_s},
                                                       {u"mnum24"_s, u"2400bps"_s},
                                                       {u"mnum48"_s, u"4800bps"_s},
                                                       {u"mnum96"_s, u"9600bps"_s},
                                                       {u"mnum192"_s, u"19200bps"_s}}
                                          << false << QString();
        QTest::newRow("Startup Function")
            << u"mnuStart"_s << MenuItems{{u"mnuF1"_s, u"F&1 Real Time Clock"_s},
                                          {u"mnuF2"_s, u"F&2 Countdown Timer"_s},
                                          {u"mnuF3"_s, u"F&3 Show Temperature"_s},
                                          {u"mnuF4"_s, u"F&4 Show Temperature and Time"_s},
                                          {u"mnuF5"_s, u"F&5 Counter"_s},
                                          {u"mnuF6"_s, u"F&6 Display Mode"_s}}
            << false << QString();
    }

    void menuItems() {
        QFETCH(QString, menu);
        QFETCH(MenuItems, items);
        QFETCH(bool, checkMarks);
        QFETCH(QString, checked);

        QList<QAction*> actions = controls().menu(menu)->actions();
        if (menu == u"mnuComm"_s) { // then a separator and "Assign Ports..."
            QCOMPARE(actions.size(), items.size() + 2);
            QVERIFY(actions.takeAt(items.size())->isSeparator());
            QCOMPARE(actions.takeLast()->text(), u"&Assign Ports..."_s);
        }
        QCOMPARE(actions.size(), items.size());
        for (qsizetype i = 0; i < actions.size(); ++i) {
            QAction* action = actions[i];
            QCOMPARE(action, controls().menuItem(items[i].name));
            QCOMPARE(action->objectName(), items[i].name);
            QCOMPARE(action->text(), items[i].caption);
            QVERIFY(!action->isSeparator());
            QVERIFY(action->isEnabled());
            QVERIFY(action->isVisible());
            QCOMPARE(action->isCheckable(), checkMarks);
            QCOMPARE(action->isChecked(), action->objectName() == checked);
            // No shortcut keys, only mnemonics.
            QVERIFY(action->shortcuts().isEmpty());
            QCOMPARE(action->actionGroup(), nullptr);
        }

        if (!checkMarks) {
            // Picking an item sends its command and leaves no mark behind.
            for (QAction* action : actions) {
                action->trigger();
                QVERIFY2(!action->isChecked(), qPrintable(action->objectName()));
            }
            return;
        }
        // Marks are independent of each other: the handlers keep one per menu.
        for (QAction* action : actions)
            action->setChecked(true);
        for (QAction* action : actions)
            QVERIFY2(action->isChecked(), qPrintable(action->objectName()));
        actions.front()->setChecked(false);
        QVERIFY(!actions.front()->isChecked());
        QVERIFY(actions.back()->isChecked());
    }

    void mnemonicOpensItsMenu_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("menu");
        QTest::newRow("Alt+C") << int(Qt::Key_C) << u"mnuComm"_s;
        QTest::newRow("Alt+B") << int(Qt::Key_B) << u"mnuBaud"_s;
        QTest::newRow("Alt+M") << int(Qt::Key_M) << u"mnuMbaud"_s;
        QTest::newRow("Alt+S") << int(Qt::Key_S) << u"mnuStart"_s;
    }

    void mnemonicOpensItsMenu() {
        QFETCH(int, key);
        QFETCH(QString, menu);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(m_window.get(), static_cast<Qt::Key>(key), Qt::AltModifier);
        QTRY_COMPARE(QApplication::activePopupWidget(), controls().menu(menu));
        controls().menu(menu)->close();
    }

    void timersRunFromCreation_data() {
        QTest::addColumn<QString>("timer");
        QTest::addColumn<int>("intervalMs");
        QTest::newRow("Timer1") << u"Timer1"_s << 500;
        QTest::newRow("Timer2") << u"Timer2"_s << 2000;
    }

    void timersRunFromCreation() {
        QFETCH(QString, timer);
        QFETCH(int, intervalMs);
        QTimer* t = controls().timer(timer);
        QCOMPARE(t->objectName(), timer);
        QCOMPARE(t->interval(), intervalMs);
        QVERIFY(t->isActive());
        QVERIFY(!t->isSingleShot());
        QCOMPARE(t->parent(), m_window.get());
        QSignalSpy ticks(t, &QTimer::timeout);
        QVERIFY(ticks.wait(intervalMs + 1000));
    }
};

VELD_QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
