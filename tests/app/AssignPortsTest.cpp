#include "app/AssignPortsDialog.h"
#include "serial/PortMap.h"
#include "support/PanelHarness.h"
#include "support/TestMain.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using veld::app::AssignPortsDialog;
using veld::test::PanelHarness;

namespace {
QComboBox* row(QObject* dialog, int port) {
    return dialog->findChild<QComboBox*>(u"cboCOM%1"_s.arg(port));
}
void type(QComboBox* box, const QString& text) {
    box->lineEdit()->selectAll();
    QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
    QTest::keyClicks(box->lineEdit(), text);
}
void press(QObject* dialog, QDialogButtonBox::StandardButton button) {
    dialog->findChild<QDialogButtonBox*>()->button(button)->click();
}
QSettings store() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, u"VELD"_s, u"VELD"_s);
}
void unsetEnvironment(int port) {
    qunsetenv(veld::serial::portEnvironmentVariable(port).toLatin1().constData());
}
// Group Ports as "COM2=/dev/x COM3=/dev/y".
QString storedPorts() {
    QSettings s = store();
    s.beginGroup(u"Ports"_s);
    QStringList keys;
    for (const QString& key : s.childKeys())
        keys << key + u'=' + s.value(key).toString();
    return keys.join(u' ');
}
// Through the window's menu; true when the dialog was the modal window.
bool assign(PanelHarness& h, int port, const QString& device) {
    unsetEnvironment(port); // so that the stored key counts
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = h.window().findChild<AssignPortsDialog*>();
        modal = dialog == QApplication::activeModalWidget();
        type(row(dialog, port), device);
        press(dialog, QDialogButtonBox::Ok);
    });
    h.controls().menuItem(u"mnuAssignPorts"_s)->trigger();
    return modal;
}
} // namespace

class AssignPortsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        store().clear();
        for (int n = 1; n <= 5; ++n)
            unsetEnvironment(n);
    }

    void storesChangedRowsOnOk_data() {
        QTest::addColumn<QString>("com3Before");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("after");
        QTest::newRow("a typed path")
            << u""_s << 2 << u"/dev/ttyUSB0"_s << true << u"COM2=/dev/ttyUSB0"_s;
        QTest::newRow("unchanged default") << u""_s << 1 << u"/dev/ttyS0"_s << true << u""_s;
        QTest::newRow("replaced") << u"/dev/a"_s << 3 << u"/dev/b"_s << true << u"COM3=/dev/b"_s;
        QTest::newRow("emptied") << u"/dev/a"_s << 3 << u""_s << true << u""_s;
        QTest::newRow("cancel") << u"/dev/a"_s << 3 << u"/dev/b"_s << false << u"COM3=/dev/a"_s;
    }
    void storesChangedRowsOnOk() {
        QFETCH(QString, com3Before);
        QFETCH(int, port);
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        if (!com3Before.isEmpty())
            store().setValue(u"Ports/COM3"_s, com3Before);
        AssignPortsDialog dialog;
        type(row(&dialog, port), typed);
        press(&dialog, ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
        QTEST(storedPorts(), "after");
        QVERIFY(!dialog.storeFailed());
    }

    void environmentRowIsReadOnly() {
        qputenv("VELD_COM4", "/tmp/from-env");
        AssignPortsDialog dialog;
        QComboBox* box = row(&dialog, 4);
        QCOMPARE(box->currentText(), u"/tmp/from-env"_s);
        QCOMPARE(box->accessibleDescription(), u"set by VELD_COM4 in the environment"_s);
        QTest::keyClicks(box->lineEdit(), u"x"_s);
        QCOMPARE(box->currentText(), u"/tmp/from-env"_s);
        QCOMPARE(box->count(), 1);
        press(&dialog, QDialogButtonBox::Ok);
        QCOMPARE(storedPorts(), QString());
    }

    void mnemonicsAndTabWalkTheRowsByTheirNames() {
        AssignPortsDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_1, Qt::AltModifier);
        for (int n = 1; n <= 5; ++n) {
            QVERIFY(row(&dialog, n)->hasFocus());
            QCOMPARE(row(&dialog, n)->accessibleName(), u"COM%1 device"_s.arg(n));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QVERIFY(qobject_cast<QPushButton*>(QApplication::focusWidget()));
        QTest::keyClick(&dialog, Qt::Key_4, Qt::AltModifier);
        QVERIFY(row(&dialog, 4)->hasFocus());
    }

    void aPickAfterAssigningOpensThatDevice() {
        PanelHarness h;
        veld::test::PtyPair pty;
        h.start(); // on a missing COM1
        QVERIFY(assign(h, 2, pty.slavePath()));
        QCOMPARE(storedPorts(), u"COM2="_s + pty.slavePath());
        QVERIFY(!h.window().serialControl().portOpen());
        QMenu* menu = h.controls().menu(u"mnuComm"_s);
        menu->popup(QPoint());
        menu->close();
        QCOMPARE(h.controls().menuItem(u"mnuCOM2"_s)->toolTip(), pty.slavePath());
        h.controls().menuItem(u"mnuCOM2"_s)->trigger();
        h.controls().button(u"cmdFlash"_s)->click();
        QCOMPARE(pty.receive(3), veld::test::hexBytes("FEFCFF"));
    }

    void aFailedStoreIsToldOncePerSession() {
        PanelHarness h;
        h.start();
        h.boxes.clear();
        const QString file = PanelHarness::settingsFilePath();
        QVERIFY(QFile::remove(file) && QDir().mkpath(file)); // a folder cannot be written as a file
        QVERIFY(assign(h, 2, u"/dev/ttyUSB0"_s) && assign(h, 3, u"/dev/ttyUSB1"_s));
        QVERIFY(QDir(file).removeRecursively());
        QCOMPARE(h.boxes.size(), 1);
        QCOMPARE(h.boxes[0].title, u"SETTINGS ERROR"_s);
        QVERIFY(h.boxes[0].text.contains(file));
    }
};

VELD_QTEST_MAIN(AssignPortsTest)
#include "AssignPortsTest.moc"
