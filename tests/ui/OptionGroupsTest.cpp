// The three option groups: the decimal points, the temperature unit and the
// event counter. Each group is exclusive within itself and independent of the
// others; selecting an option from code runs its click handler just as the
// mouse does; a group may have nothing selected.

#include "app/frmVELD.h"
#include "support/NamedControls.h"
#include "support/OpenPanel.h"
#include "support/TestMain.h"
#include "ui_frmVELD.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QRadioButton>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QStringList kDecimalPoints{u"optDP1"_s, u"optDP2"_s, u"optDP3"_s,  u"optDP4"_s,
                                 u"optDP5"_s, u"optDP6"_s, u"optOFFDP"_s};
const QStringList kUnits{u"optCEL"_s, u"optFAH"_s};
const QStringList kCounter{u"optCountEn"_s, u"optCountDis"_s};
const QString kCelsius = QChar(0x00B0) + u" C"_s;
const QString kFahrenheit = QChar(0x00B0) + u" F"_s;

} // namespace

class OptionGroupsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<veld::app::frmVELD> m_window;

    veld::test::NamedControls controls() const { return veld::test::NamedControls(*m_window); }
    QRadioButton* option(const QString& name) const { return controls().option(name); }
    QString labelText(const QString& name) const { return controls().label(name)->text(); }

    QStringList selected() const {
        QStringList names;
        for (const QStringList* group : {&kDecimalPoints, &kUnits, &kCounter})
            for (const QString& name : *group)
                if (option(name)->isChecked())
                    names.append(name);
        return names;
    }

private slots:
    // As laid out, before start-up selects anything.
    void init() { m_window = std::make_unique<veld::app::frmVELD>(); }
    void cleanup() { m_window.reset(); }

    void nothingIsSelectedAtCreation() {
        QCOMPARE(selected(), QStringList());
        QCOMPARE(m_window->decimalPointChoice(), 0);
        QCOMPARE(labelText(u"lblUnit"_s), QString());
    }

    void decimalPointOption_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("choice");
        for (int n = 1; n <= 6; ++n)
            QTest::addRow("optDP%d", n) << u"optDP%1"_s.arg(n) << n;
        QTest::newRow("optOFFDP") << u"optOFFDP"_s << 0;
    }

    void decimalPointOption() {
        QFETCH(QString, name);
        QFETCH(int, choice);
        // Start from another choice, so that the handler has something to change.
        const QString other = name == u"optDP5"_s ? u"optDP6"_s : u"optDP5"_s;
        option(other)->click();
        QCOMPARE(m_window->decimalPointChoice(), other.back().digitValue());

        option(name)->click();
        QCOMPARE(m_window->decimalPointChoice(), choice);
        QCOMPARE(selected(), QStringList{name});
    }

    void groupsAreIndependent() {
        option(u"optDP3"_s)->click();
        option(u"optCountEn"_s)->click();
        option(u"optCEL"_s)->click();
        QCOMPARE(selected(), (QStringList{u"optDP3"_s, u"optCEL"_s, u"optCountEn"_s}));

        option(u"optFAH"_s)->click();
        QCOMPARE(selected(), (QStringList{u"optDP3"_s, u"optFAH"_s, u"optCountEn"_s}));
        QCOMPARE(m_window->decimalPointChoice(), 3);

        option(u"optCountDis"_s)->click();
        QCOMPARE(selected(), (QStringList{u"optDP3"_s, u"optFAH"_s, u"optCountDis"_s}));
        QCOMPARE(labelText(u"lblUnit"_s), kFahrenheit);

        option(u"optOFFDP"_s)->click();
        QCOMPARE(selected(), (QStringList{u"optOFFDP"_s, u"optFAH"_s, u"optCountDis"_s}));
        QCOMPARE(m_window->decimalPointChoice(), 0);
    }

    void selectingFromCodeRunsTheClickHandler() {
        // The window is not even shown: start-up selects options this way.
        QVERIFY(!m_window->isVisible());
        option(u"optCEL"_s)->click();
        QCOMPARE(labelText(u"lblUnit"_s), kCelsius);
        option(u"optFAH"_s)->click();
        QCOMPARE(labelText(u"lblUnit"_s), kFahrenheit);
        option(u"optCountEn"_s)->click();
        QCOMPARE(labelText(u"lblCounter"_s), u"0"_s);
        option(u"optCountDis"_s)->click();
        QCOMPARE(labelText(u"lblCounter"_s), u"0000"_s);
    }

    void selectingFromCodeMatchesAMouseClick_data() {
        QTest::addColumn<bool>("byMouse");
        QTest::newRow("mouse") << true;
        QTest::newRow("code") << false;
    }

    void selectingFromCodeMatchesAMouseClick() {
        QFETCH(bool, byMouse);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const auto select = [&](const QString& name) {
            QRadioButton* o = option(name);
            if (byMouse)
                QTest::mouseClick(o, Qt::LeftButton, {}, QPoint(6, o->height() / 2));
            else
                o->click();
        };

        select(u"optFAH"_s);
        QVERIFY(option(u"optFAH"_s)->isChecked());
        QCOMPARE(labelText(u"lblUnit"_s), kFahrenheit);
        select(u"optCEL"_s);
        QVERIFY(!option(u"optFAH"_s)->isChecked());
        QCOMPARE(labelText(u"lblUnit"_s), kCelsius);

        // Selecting the option that is already selected runs its handler again.
        controls().label(u"lblUnit"_s)->clear();
        select(u"optCEL"_s);
        QVERIFY(option(u"optCEL"_s)->isChecked());
        QCOMPARE(labelText(u"lblUnit"_s), kCelsius);

        select(u"optDP2"_s);
        QCOMPARE(m_window->decimalPointChoice(), 2);
        QCOMPARE(selected(), (QStringList{u"optDP2"_s, u"optCEL"_s}));
    }

    void aGroupCanBeLeftWithNothingSelected() {
        option(u"optCountEn"_s)->click();
        option(u"optDP4"_s)->click();
        QCOMPARE(labelText(u"lblCounter"_s), u"0"_s);

        // Start-up clears "Enable" this way when the port fails; no handler runs.
        controls().deselect(option(u"optCountEn"_s));
        QCOMPARE(selected(), QStringList{u"optDP4"_s});
        QCOMPARE(labelText(u"lblCounter"_s), u"0"_s);

        // The group is still exclusive afterwards.
        option(u"optCountDis"_s)->click();
        option(u"optCountEn"_s)->click();
        QCOMPARE(selected(), (QStringList{u"optDP4"_s, u"optCountEn"_s}));
    }

    void anAccessibleToggleRunsTheHandlerAsAClickDoes() {
        // What a screen reader or voice control sends: the option's "Toggle" action.
        veld::test::OpenPanel p;
        QAccessibleInterface* dp6 =
            QAccessible::queryAccessibleInterface(p.h.window().form().optDP6);
        QVERIFY(dp6 && dp6->actionInterface());
        QVERIFY(dp6->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::toggleAction()));
        dp6->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QVERIFY(p.h.window().form().optDP6->isChecked());
        p.h.window().form().cmdSetDP->click();
        QCOMPARE(p.com1.receive(4), veld::test::hexBytes("FE1306FF"));
    }
};

VELD_QTEST_MAIN(OptionGroupsTest)
#include "OptionGroupsTest.moc"
