#include "app/AssignPortsDialog.h"
#include "support/PanelHarness.h"
#include "support/TestMain.h"

#include <QComboBox>
#include <QtTest>

using namespace Qt::StringLiterals;
using veld::app::AssignPortsDialog;
using veld::test::PanelHarness;

namespace {
QSettings store() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, u"VELD"_s, u"VELD"_s);
}
QString stored() { // "Ports/COM2=/dev/x Ports/COM3=/dev/y"
    QStringList keys;
    for (const QString& key : store().allKeys())
        keys << key + u'=' + store().value(key).toString();
    return keys.join(u' ');
}
QComboBox* row(QObject* dialog, int port) {
    return dialog->findChild<QComboBox*>(u"cboCOM%1"_s.arg(port));
}
void type(QObject* dialog, int port, const QString& text) {
    row(dialog, port)->lineEdit()->selectAll();
    QTest::keyClick(row(dialog, port)->lineEdit(), Qt::Key_Delete);
    QTest::keyClicks(row(dialog, port)->lineEdit(), text);
}
void assign(PanelHarness& h, int port, const QString& device) { // from the menu, then OK
    qunsetenv("VELD_COM" + QByteArray::number(port));           // so that the settings key counts
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<AssignPortsDialog*>(QApplication::activeModalWidget());
        type(dialog, port, device);
        dialog->accept();
    });
    h.controls().menuItem(u"mnuAssignPorts"_s)->trigger();
}
} // namespace

class AssignPortsTest : public QObject {
    Q_OBJECT

private slots:
    void okStoresTheChangedRowsAndCancelNothing() {
        store().setValue(u"Ports/COM3"_s, u"/dev/a"_s);
        store().setValue(u"Ports/COM5"_s, u"/dev/c"_s);
        qputenv("VELD_COM4", "/dev/env");
        AssignPortsDialog dialog;
        type(&dialog, 2, u"/dev/b"_s);
        type(&dialog, 3, QString()); // the default comes back
        type(&dialog, 4, u"/dev/d"_s);
        QCOMPARE(row(&dialog, 4)->currentText(), u"/dev/env"_s);
        QCOMPARE(row(&dialog, 2)->accessibleName(), u"COM2 device"_s);
        QCOMPARE(row(&dialog, 4)->accessibleDescription(),
                 u"set by VELD_COM4 in the environment"_s);
        dialog.accept(); // COM1 and COM5 as they were
        QCOMPARE(stored(), u"Ports/COM2=/dev/b Ports/COM5=/dev/c"_s);
        AssignPortsDialog cancelled;
        type(&cancelled, 1, u"/dev/e"_s);
        cancelled.reject();
        QCOMPARE(stored(), u"Ports/COM2=/dev/b Ports/COM5=/dev/c"_s);
    }

    void aPickAfterAssigningOpensThatDevice() {
        PanelHarness h;
        veld::test::PtyPair pty;
        h.start(); // on a missing COM1
        assign(h, 2, pty.slavePath());
        QCOMPARE(stored(), u"Ports/COM2="_s + pty.slavePath());
        QVERIFY(!h.window().serialControl().portOpen());
        h.controls().menu(u"mnuComm"_s)->popup(QPoint()); // the tooltips are read as it opens
        h.controls().menu(u"mnuComm"_s)->close();
        QCOMPARE(h.controls().menuItem(u"mnuCOM2"_s)->toolTip(), pty.slavePath());
        h.controls().menuItem(u"mnuCOM2"_s)->trigger();
        h.controls().button(u"cmdFlash"_s)->click();
        QCOMPARE(pty.receive(3), veld::test::hexBytes("FEFCFF"));

        const QString file = PanelHarness::settingsFilePath();
        QVERIFY(QFile::remove(file) && QDir().mkpath(file)); // a folder cannot be written as a file
        assign(h, 3, u"/dev/b"_s);
        assign(h, 4, u"/dev/c"_s);
        QVERIFY(QDir(file).removeRecursively());
        QCOMPARE(h.boxes.size(), 2); // the start's and one more, once per session
        QCOMPARE(h.boxes[1].title, u"SETTINGS ERROR"_s);
        QVERIFY(h.boxes[1].text.contains(file));
    }
};

VELD_QTEST_MAIN(AssignPortsTest)
#include "AssignPortsTest.moc"
