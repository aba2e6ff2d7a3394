// Keyboard focus in the shown window: the first control holds the focus when
// the window opens, and Tab walks the enabled controls in their design order.
// Every enabled option button is a stop of its own, whichever is selected.

#include "app/frmVELD.h"
#include "support/NamedControls.h"
#include "support/PanelHarness.h"
#include "support/TestMain.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Focus-taking controls in their design order (frames and labels hold places
// in between but never take the focus).
const QStringList kTabOrder{
    u"txtDigit"_s,     // 0
    u"cmdSendAscii"_s, // 4
    u"cmdSetRTC"_s,    // 7
    u"optDP4"_s,       // 8
    u"optDP3"_s,       // 9
    u"optDP2"_s,       // 10
    u"optDP1"_s,       // 11
    u"optOFFDP"_s,     // 12
    u"cmdFlash"_s,     // 13
    u"cmdOnBuz"_s,     // 14
    u"cmdOffBuz"_s,    // 15
    u"cmdTemp"_s,      // 19
    u"optCEL"_s,       // 20
    u"optFAH"_s,       // 21
    u"txtCDMin"_s,     // 25
    u"txtCDSec"_s,     // 26
    u"cmdCDSet"_s,     // 27
    u"cmdStartStop"_s, // 28
    u"cmdReset"_s,     // 29
    u"cmdOnOut"_s,     // 30
    u"cmdOFFOut"_s,    // 31
    u"optCountEn"_s,   // 33
    u"optCountDis"_s,  // 34
    u"cmdTimeStamp"_s, // 44
    u"cmdSetDP"_s,     // 45
    u"optDP5"_s,       // 46
    u"optDP6"_s,       // 47
    u"txtCDHour"_s,    // 49
    u"cmdOnOut2"_s,    // 50
    u"cmdOffOut2"_s,   // 51
};

QStringList without(QStringList list, const QStringList& skipped) {
    for (const QString& name : skipped)
        list.removeAll(name);
    return list;
}

// Brings the window into the state a walk starts from.
using Setup = std::function<void(veld::test::PanelHarness&, std::unique_ptr<veld::app::frmVELD>&)>;

QString focusName() {
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName() : u"(none)"_s;
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class KeyboardFocusTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<veld::test::PanelHarness> m_harness;
    std::unique_ptr<veld::app::frmVELD> m_window;

    veld::app::frmVELD& window() { return m_window ? *m_window : m_harness->window(); }
    veld::test::NamedControls controls() { return veld::test::NamedControls(window()); }

    bool showAndActivate() {
        window().show();
        window().activateWindow();
        return QTest::qWaitForWindowActive(&window());
    }

    // Presses the key once per expected stop and records where the focus lands.
    QStringList walk(Qt::KeyboardModifiers modifiers, qsizetype stops) {
        QStringList visited;
        for (qsizetype i = 0; i < stops; ++i) {
            QWidget* from = QApplication::focusWidget();
            QTest::keyClick(from ? from : &window(), Qt::Key_Tab, modifiers);
            visited.append(focusName());
        }
        return visited;
    }

private slots:
    void init() { m_harness = std::make_unique<veld::test::PanelHarness>(); }
    void cleanup() {
        m_window.reset();
        m_harness.reset();
    }

    void digitBoxHasTheFocusWhenTheWindowOpens() {
        m_window = std::make_unique<veld::app::frmVELD>();
        m_window->centreOnScreen();
        QVERIFY(showAndActivate());
        QCOMPARE(focusName(), u"txtDigit"_s);
    }

    void digitBoxHasTheFocusAfterStartUp() {
        // Start-up selects option buttons from code; none of that moves the focus.
        m_harness->start();
        QVERIFY(showAndActivate());
        QCOMPARE(focusName(), u"txtDigit"_s);
    }

    void tabWalk_data() {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QStringList>("stops");

        const Setup asCreated = [](auto&, auto& window) {
            window = std::make_unique<veld::app::frmVELD>();
        };
        QTest::newRow("as created")
            << asCreated << without(kTabOrder, {u"cmdStartStop"_s, u"cmdReset"_s});

        QTest::newRow("countdown buttons enabled") << Setup([](auto&, auto& window) {
            window = std::make_unique<veld::app::frmVELD>();
            veld::test::NamedControls(*window).button(u"cmdStartStop"_s)->setEnabled(true);
            veld::test::NamedControls(*window).button(u"cmdReset"_s)->setEnabled(true);
        }) << kTabOrder;

        QTest::newRow("one option selected in each group") << Setup([](auto&, auto& window) {
            window = std::make_unique<veld::app::frmVELD>();
            for (const QString& name : {u"optDP2"_s, u"optFAH"_s, u"optCountEn"_s})
                veld::test::NamedControls(*window).option(name)->click();
        }) << without(kTabOrder, {u"cmdStartStop"_s, u"cmdReset"_s});

        // Start-up without a serial port disables the port-dependent buttons.
        QTest::newRow("after start-up without a port")
            << Setup([](veld::test::PanelHarness& harness, auto&) { harness.start(); })
            << without(kTabOrder,
                       {u"cmdStartStop"_s, u"cmdReset"_s, u"cmdSendAscii"_s, u"cmdSetDP"_s,
                        u"cmdSetRTC"_s, u"cmdTemp"_s, u"cmdCDSet"_s, u"cmdTimeStamp"_s});
    }

    void tabWalk() {
        QFETCH(Setup, setup);
        QFETCH(QStringList, stops);
        setup(*m_harness, m_window);
        QVERIFY(showAndActivate());
        QCOMPARE(focusName(), stops.front());

        // Two rounds: having visited an option button must not change the next round.
        const QStringList forward = stops.mid(1) + stops + stops.mid(0, 1);
        QCOMPARE(walk(Qt::NoModifier, forward.size()), forward);

        QStringList backward = stops + stops;
        std::reverse(backward.begin(), backward.end());
        QCOMPARE(walk(Qt::ShiftModifier, backward.size()), backward);
    }

    void spaceSelectsTheFocusedOptionButton() {
        m_window = std::make_unique<veld::app::frmVELD>();
        QVERIFY(showAndActivate());
        QRadioButton* dp3 = controls().option(u"optDP3"_s);
        QRadioButton* dp4 = controls().option(u"optDP4"_s);
        // txtDigit, cmdSendAscii, cmdSetRTC, optDP4, optDP3
        walk(Qt::NoModifier, 4);
        QCOMPARE(QApplication::focusWidget(), dp3);
        QTest::keyClick(dp3, Qt::Key_Space);
        QVERIFY(dp3->isChecked());
        QCOMPARE(window().decimalPointChoice(), 3);

        // Back to the option before it: it is still a stop, and Space moves the selection.
        walk(Qt::ShiftModifier, 1);
        QCOMPARE(QApplication::focusWidget(), dp4);
        QTest::keyClick(dp4, Qt::Key_Space);
        QVERIFY(dp4->isChecked());
        QVERIFY(!dp3->isChecked());
        QCOMPARE(window().decimalPointChoice(), 4);
    }

    void arrowKeysMoveWithinTheGroupAndTabCarriesOnFromThere() {
        m_window = std::make_unique<veld::app::frmVELD>();
        QVERIFY(showAndActivate());
        QRadioButton* dp4 = controls().option(u"optDP4"_s);
        dp4->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), dp4);

        // optDP6 stands right below optDP4.
        QTest::keyClick(dp4, Qt::Key_Down);
        QCOMPARE(focusName(), u"optDP6"_s);
        QCOMPARE(window().decimalPointChoice(), 0); // moving the focus selects nothing

        QCOMPARE(walk(Qt::NoModifier, 2), (QStringList{u"txtCDHour"_s, u"cmdOnOut2"_s}));
        QCOMPARE(walk(Qt::ShiftModifier, 3),
                 (QStringList{u"txtCDHour"_s, u"optDP6"_s, u"optDP5"_s}));
    }
};

VELD_QTEST_MAIN(KeyboardFocusTest)
#include "KeyboardFocusTest.moc"
