// "Assign Ports...": which device each COM item opens, stored as key COMn of
// group Ports; an environment row is read-only; the next pick uses it.
#include "app/AssignPortsDialog.h"
#include "app/DeviceListModel.h"
#include "support/Panel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <gtest/gtest.h>

using namespace veld::test;
using veld::app::AssignPortsDialog;

namespace {

QString ports() { // "COM2=/dev/x COM3=/dev/y"
    QSettings s = Panel::settings();
    s.beginGroup(u"Ports"_s);
    QStringList keys;
    for (const QString& key : s.childKeys())
        keys << key + u'=' + s.value(key).toString();
    return keys.join(u' ');
}

void type(const AssignPortsDialog& dialog, int port, const QString& text) {
    QLineEdit* edit = dialog.deviceBox(port)->lineEdit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// From the menu, as a user does: type the device for COMn, then OK.
void assign(Panel& p, int port, const QString& device) {
    qunsetenv(("VELD_COM" + QByteArray::number(port)).constData()); // the settings key counts
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<AssignPortsDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        type(*dialog, port, device);
        dialog->accept();
    });
    p.ui().mnuAssignPorts->trigger();
}

TEST(app_AssignPorts, OkStoresTheChangedRowsAndCancelNothing) {
    Panel p;
    Panel::settings().setValue(u"Ports/COM3"_s, u"/dev/a"_s);
    Panel::settings().setValue(u"Ports/COM5"_s, u"/dev/c"_s);
    qputenv("VELD_COM4", "/dev/env");
    qunsetenv("VELD_COM2");
    qunsetenv("VELD_COM3");
    AssignPortsDialog dialog;
    type(dialog, 2, u"/dev/b"_s);
    type(dialog, 3, QString()); // the default comes back
    type(dialog, 4, u"/dev/d"_s);
    EXPECT_EQ(dialog.deviceBox(4)->currentText(), u"/dev/env"_s);
    EXPECT_EQ(dialog.deviceBox(2)->accessibleName(), u"COM2 device"_s);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key_5, Qt::AltModifier); // the row's label: "COM&5"
    EXPECT_TRUE(dialog.deviceBox(5)->hasFocus());
    EXPECT_EQ(dialog.deviceBox(4)->accessibleDescription(),
              u"set by VELD_COM4 in the environment"_s);
    dialog.accept(); // COM1 and COM5 as they were
    EXPECT_EQ(ports(), u"COM2=/dev/b COM5=/dev/c"_s);
    AssignPortsDialog cancelled;
    type(cancelled, 1, u"/dev/e"_s);
    cancelled.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(ports(), u"COM2=/dev/b COM5=/dev/c"_s);
}

// A row's list as the dialog's poll refreshes it: the current device, named by
// its system location, said as the found adapter it is; nothing repeated.
TEST(app_AssignPorts, TheDeviceListSaysWhatEachIsAndRepeatsNothing) {
    veld::app::DeviceListModel model;
    const QAbstractItemModelTester tester(&model,
                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
    QStringList shown;
    for (const auto* current : {"/dev/ttyUSB0", "/dev/ttyUSB0", "/dev/serial/by-id/usb-X"}) {
        model.setDevices(QString::fromLatin1(current),
                         {{u"/dev/serial/by-id/usb-X"_s, u"/dev/ttyUSB0"_s, u"A"_s, u"B"_s, {}}});
        shown << QString::number(model.rowCount()) + model.index(0).data().toString();
    }
    EXPECT_EQ(shown.join(u'|'),
              u"2/dev/ttyUSB0  (A, B)|2/dev/ttyUSB0  (A, B)|1/dev/serial/by-id/usb-X  (A, B)"_s);
}

// 1280 pixels at twice the scale, less the frame: with a row set by the environment.
TEST(app_AssignPorts, FitsAScreenOf640Units) {
    qputenv("VELD_COM4", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    const AssignPortsDialog dialog;
    EXPECT_LE(dialog.minimumSizeHint().width(), 620);
}

TEST(app_AssignPorts, APickOpensTheAssignedDeviceAFailedStoreSaysSo) {
    Panel p;
    PtyPair pty;
    p.start(); // on a missing COM1
    assign(p, 2, pty.slavePath());
    EXPECT_EQ(ports(), u"COM2="_s + pty.slavePath());
    EXPECT_FALSE(p.w().serialControl().portOpen());
    p.ui().mnuComm->popup(QPoint()); // the tooltips are read as it opens
    p.ui().mnuComm->close();
    EXPECT_EQ(p.ui().mnuCOM2->toolTip(), pty.slavePath());
    p.ui().mnuCOM2->trigger();
    p.ui().cmdFlash->click();
    EXPECT_EQ(pty.receive(3), hex("FE FC FF"));

    const QString file = Panel::settings().fileName();
    ASSERT_TRUE(QFile::remove(file) && QDir().mkpath(file)); // a folder cannot be written as a file
    p.ui().mnu192->trigger(); // a speed not stored is said as a port is
    EXPECT_EQ(p.boxes.size(), 2);
    assign(p, 4, u"/dev/c"_s);
    EXPECT_TRUE(QDir(file).removeRecursively());
    ASSERT_EQ(p.boxes.size(), 2); // the start's and one more, once per session
    EXPECT_EQ(p.boxes[1].title, u"SETTINGS ERROR"_s);
    EXPECT_EQ(p.boxes[1].text,
              u"The settings could not be stored in %1: %1 is a folder, not a file. "
              u"Your choice holds until the panel is closed."_s.arg(file));
}

} // namespace
