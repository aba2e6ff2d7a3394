// "Comm Setting > Traffic...": the real window's traffic list on COM1's pty,
// and its buttons.
#include "app/TrafficWindow.h"
#include "support/Panel.h"
#include "ui_TrafficWindow.h"

#include <QAbstractItemModelTester>
#include <QScrollBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace veld::test;

namespace {

// The list's rows from `first` on, each without its time ("12:00:00.000 "), joined by '|'.
QString rows(const veld::app::TrafficWindow& window, int first = 0) {
    const QAbstractItemModel* model = window.form().lstTraffic->model();
    QStringList rows;
    for (int row = first; row < model->rowCount(); ++row)
        rows << model->index(row, 0).data().toString().mid(13);
    return rows.join(u'|');
}

veld::app::TrafficWindow& openTraffic(Panel& p) {
    Panel::press(p.ui().mnuTraffic);
    return *p.w().trafficWindow();
}

TEST(Traffic, EachEventGivesItsLineAndPauseClearSaveAsAndTheCapWork) {
    Panel p;
    p.open();
    ASSERT_TRUE(p.show());
    auto& window = openTraffic(p);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(window.screen()->availableGeometry().contains(window.frameGeometry()));
    const Ui::TrafficWindow& u = window.form();
    const QAbstractItemModelTester tester(u.lstTraffic->model(),
                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
    const auto flash = [&](int times) {
        for (int i = 0; i < times; ++i) {
            Panel::press(p.ui().cmdFlash);
            if (i % 1000 == 999)
                p.heard(); // the module reads on
        }
        QCoreApplication::processEvents();
    };
    flash(100);
    QScrollBar* bar = u.lstTraffic->verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
    u.cmdPause->click();
    bar->setValue(0);
    flash(5);
    EXPECT_EQ(bar->value(), 0); // kept, not scrolled to
    EXPECT_EQ(u.lstTraffic->model()->rowCount(), 105);
    u.cmdPause->click();
    EXPECT_EQ(bar->value(), bar->maximum());

    QTemporaryDir dir;
    for (const QString& path : {dir.filePath(u"t.txt"_s), dir.filePath(u"no/t.txt"_s)}) {
        window.setSaveFileChooser([&path](QWidget*) { return path; });
        u.cmdSaveAs->click();
        QFile saved(path);
        EXPECT_EQ(saved.open(QIODevice::ReadOnly) ? saved.readAll().count('\n') : -1,
                  path.contains(u"no/"_s) ? -1 : 105);
    }
    p.w().setLogFile(dir.filePath(u"no/log"_s)); // as veld --log does
    ASSERT_EQ(p.boxes.size(), 2);
    EXPECT_EQ(p.boxes[0].title + u'|' + p.boxes[1].title, u"FILE ERROR|FILE ERROR"_s);
    EXPECT_TRUE(p.boxes[0].detail.startsWith(dir.filePath(u"no/t.txt: "_s)));
    EXPECT_TRUE(p.boxes[1].detail.startsWith(dir.filePath(u"no/log: "_s)));

    u.cmdClear->click();
    EXPECT_EQ(u.lstTraffic->model()->rowCount(), 0);
    flash(veld::app::TrafficLog::kMaxLines + 5);
    EXPECT_EQ(u.lstTraffic->model()->rowCount(), veld::app::TrafficLog::kMaxLines + 1);
    EXPECT_EQ(u.lstTraffic->model()->index(0, 0).data(), u"5 earlier lines dropped"_s);

    // Closed, it is seen no more; opened again, where it was.
    const QRect place = window.geometry().translated(-10, 20);
    window.setGeometry(place);
    u.cmdClose->click();
    EXPECT_EQ(p.w().trafficWindow(), nullptr);
    EXPECT_EQ(Panel::settings().value(u"Traffic/Width"_s).toInt(), place.width());
    auto& again = openTraffic(p);
    EXPECT_EQ(again.geometry(), place);
    Panel::press(p.ui().mnuTraffic);                                     // raised, not a second one
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the closed one
    EXPECT_EQ(p.w().findChildren<veld::app::TrafficWindow*>().size(), 1);

    // Each event on the line gives its line, with its direction and words.
    again.form().cmdClear->click();
    // clang-format off
    const std::pair<std::function<void()>, QString> steps[] = {
        {[&] { Panel::press(p.ui().cmdFlash); }, u">> FE FC FF  toggle flashing"_s},
        {[&] { p.receive("FE 03 10 FF"); }, u"<< FE 03 10 FF  button 1"_s},
        {[&] { p.receive("FE 05 00 FF FE 32 00 FF"); },
         u"<< FE 05 00 FF FE 32 00 FF  counter event; second message in the same read: dropped undecoded"_s},
        {[&] { p.receive("FE 07 00 FF"); }, u"<< FE 07 00 FF  unknown code 0x07: dropped"_s},
        // A change of the line settings begins the count of reads that decode to nothing again.
        {[&] { Panel::press(p.ui().mnu192); }, u"-- COM1 (%1) now at 19200,n,8,1"_s.arg(p.pty(1).slavePath())},
        {[&] { p.receive("1F FA 1F F8"); }, u"<< 1F FA 1F F8  unknown code 0xFA: dropped"_s},
        {[&] { p.receive("1F FA 1F F8"); }, u"<< 1F FA 1F F8  unknown code 0xFA: dropped"_s},
        {[&] { p.receive("1F F8 1F F8"); }, // the third in a row
         u"<< 1F F8 1F F8  unknown code 0xF8: dropped|-- line speed may not match the module's: check Baud Rate and Module Baud Rate"_s},
        {[&] { p.pty(1).closeMaster(); p.tick(); QCoreApplication::processEvents(); },
         u"-- COM1 (%1) lost: "_s.arg(p.pty(1).slavePath())}};
    // clang-format on
    for (const auto& [act, expected] : steps) {
        SCOPED_TRACE(expected.toStdString());
        const int before = again.form().lstTraffic->model()->rowCount();
        act();
        EXPECT_TRUE(rows(again, before).startsWith(expected)) << rows(again, 0).toStdString();
    }
}

} // namespace
