// "Comm Setting > Traffic...": the real window's traffic list on COM1's pty,
// and its buttons.
#include "app/TrafficWindow.h"
#include "support/Panel.h"
#include "ui_TrafficWindow.h"

#include <QAbstractItemModelTester>
#include <QFileInfo>
#include <QScrollBar>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

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

veld::app::TrafficWindow* openTraffic(Panel& p) {
    Panel::press(p.ui().mnuTraffic);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(p.w().trafficWindow()));
    return p.w().trafficWindow();
}

// `times` clicks on "Flash", one line each; the module reads on.
void flash(Panel& p, int times) {
    for (int i = 0; i < times; ++i)
        Panel::press(p.ui().cmdFlash);
    p.pty(1).receiveFor(0);
    QCoreApplication::processEvents(); // the list lays its rows out
}

bool newestShown(const veld::app::TrafficWindow* window) {
    const QAbstractItemView* list = window->form().lstTraffic;
    const QRect newest = list->visualRect(list->model()->index(list->model()->rowCount() - 1, 0));
    return list->viewport()->rect().contains(newest);
}

// The panel on COM1's pty, shown, with "Traffic" open; a folder for files.
class app_Traffic : public testing::Test {
protected:
    Panel p;
    veld::app::TrafficWindow* window = (p.open(), p.show(), openTraffic(p));
    const Ui::TrafficWindow& u = window->form();
    QTemporaryDir dir;
    const QString fifo = dir.filePath(u"fifo"_s); // made by the tests that need it
};

TEST_F(app_Traffic, EachEventOnTheLineGivesItsLine) {
    const QAbstractItemModelTester tester(u.lstTraffic->model(),
                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
    // clang-format off
    const std::pair<std::function<void()>, QString> steps[] = {
        {[&] { Panel::press(p.ui().cmdFlash); }, u">> FE FC FF  toggle flashing"_s},
        {[&] { p.receive("FE 05 00 FF FE 03 10 FF"); }, u"<< FE 05 00 FF FE 03 10 FF  counter event; button 1"_s},
        // A change of the line settings begins the count of reads that decode to nothing again.
        {[&] { p.receive("1F FA 1F F8"); p.receive("1F FA 1F F8"); }, u"<< 1F FA 1F F8  four bytes skipped|<< 1F FA 1F F8  four bytes skipped"_s},
        {[&] { Panel::press(p.ui().mnu192); }, u"-- COM1 (%1) now at 19200,n,8,1"_s.arg(p.pty(1).slavePath())},
        {[&] { for (int i = 0; i < 3; ++i) p.receive("1F FA 1F F8"); }, // the third in a row
         u"<< 1F FA 1F F8  four bytes skipped|<< 1F FA 1F F8  four bytes skipped|<< 1F FA 1F F8  four bytes skipped|"
         u"-- line speed may not match the module's: check Baud Rate and Module Baud Rate"_s},
        {[&] { p.pty(1).closeMaster(); p.tick(); QCoreApplication::processEvents(); },
         u"-- COM1 (%1) lost: "_s.arg(p.pty(1).slavePath())}};
    // clang-format on
    for (const auto& [act, expected] : steps) {
        SCOPED_TRACE(expected.toStdString());
        const int before = u.lstTraffic->model()->rowCount();
        act();
        EXPECT_TRUE(rows(*window, before).startsWith(expected)) << rows(*window).toStdString();
    }
}

TEST_F(app_Traffic, TheViewFollowsTheNewestLineOnlyFromTheBottom) {
    QScrollBar* bar = u.lstTraffic->verticalScrollBar();
    // After each step a new line comes: followed, or the view stays where it is.
    const std::tuple<const char*, std::function<void()>, bool> steps[] = {
        {"150 lines at the default size", [&] { flash(p, 149); }, true},
        {"scrolled up", [&] { bar->setValue(bar->value() - 5); }, false},
        {"back at the bottom", [&] { bar->setValue(bar->maximum()); }, true},
        {"paused", [&] { u.cmdPause->click(); }, false},
        {"paused no more", [&] { u.cmdPause->click(); }, true}};
    for (const auto& [name, act, follows] : steps) {
        SCOPED_TRACE(name);
        act();
        const int before = bar->value();
        flash(p, 1);
        EXPECT_EQ(newestShown(window), follows);
        EXPECT_EQ(bar->value() == before, !follows);
    }
}

TEST_F(app_Traffic, KeepsTheLast10000LinesWithoutStallingUntilCleared) {
    // 50 clicks at a time, the events they cause handled after each: the longest such pass.
    flash(p, 5);
    std::chrono::steady_clock::duration longest{};
    for (int i = 0; i < veld::app::TrafficLog::kMaxLines / 50; ++i) {
        const auto start = std::chrono::steady_clock::now();
        flash(p, 50);
        longest = std::max(longest, std::chrono::steady_clock::now() - start);
    }
    EXPECT_LT(longest, std::chrono::seconds(2)); // for a loaded machine; the benchmark: 100 ms
    const QAbstractItemModel* model = u.lstTraffic->model();
    EXPECT_EQ(model->rowCount(), veld::app::TrafficLog::kMaxLines + 1);
    EXPECT_EQ(model->index(0, 0).data(), u"5 earlier lines dropped"_s);
    EXPECT_TRUE(newestShown(window));
    u.cmdClear->click();
    EXPECT_EQ(model->rowCount(), 0);
}

TEST_F(app_Traffic, SaveAsWritesTheRowsOrSaysAtOnceWhyNot) {
    flash(p, 3);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // The file chosen, and the start of the box's detail ("none": no box, the file saved).
    const std::pair<QString, QString> cases[] = {
        {dir.filePath(u"t.txt"_s), u"none"_s},
        {dir.filePath(u"no/t.txt"_s), dir.filePath(u"no/t.txt: "_s)},
        {fifo, fifo + u": not a regular file (a FIFO)"_s}};
    for (const auto& [path, box] : cases) {
        p.boxes.clear();
        window->setSaveFileChooser([&path](QWidget*) { return path; });
        u.cmdSaveAs->click();
        QFile saved(path);
        const bool file = QFileInfo(path).isFile() && saved.open(QIODevice::ReadOnly);
        EXPECT_EQ(file ? saved.readAll().count('\n') : -1, box == u"none"_s ? 3 : -1);
        EXPECT_EQ(p.boxes.isEmpty() ? u"none"_s : p.boxes[0].detail.left(box.size()), box);
    }
}

TEST_F(app_Traffic, LogToFileAppendsTheLinesFromVeldLogOrItsClickUntilClicked) {
    QFile log(dir.filePath(u"t.log"_s));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly) && log.write("before\n") == 7);
    log.close();
    window->close();
    p.w().setLogFile(log.fileName()); // as veld --log does
    window = openTraffic(p);
    window->setLogFileChooser([&](QWidget*) { return log.fileName(); });
    QPushButton* button = window->form().cmdLogToFile;
    // Each step, then the button as it shows (+ checked), then a line.
    const std::pair<std::function<void()>, QString> steps[] = {
        {[] {}, u"+&Logging to t.log"_s}, // from veld --log
        {[&] { button->click(); }, u"-&Log to File..."_s},
        {[&] { button->click(); }, u"+&Logging to t.log"_s}}; // the file asked for
    for (const auto& [act, shown] : steps) {
        act();
        EXPECT_EQ((button->isChecked() ? u"+"_s : u"-"_s) + button->text(), shown);
        flash(p, 1);
    }
    const QAbstractItemModel* model = window->form().lstTraffic->model();
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(log.readAll()), u"before\n"_s +
                                                    model->index(0, 0).data().toString() + u'\n' +
                                                    model->index(2, 0).data().toString() + u'\n');
}

TEST_F(app_Traffic, AnUnwritableLogIsSaidOnceInTheSystemsWordsAndEnds) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString log = dir.filePath(u"t.log"_s);
    const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY}, tenBytes{10, RLIM_INFINITY};
    std::signal(SIGXFSZ, SIG_IGN);
    // The file; true: from veld --log, false: from Log to File; the box's detail.
    const std::tuple<QString, bool, QString> cases[] = {
        {fifo, true, u"fifo: not a regular file (a FIFO)"_s},
        {dir.filePath(u"no/t.log"_s), false, u"no/t.log: No such file or directory"_s},
        // A write that fails half way (files limited to 10 bytes) leaves no half line.
        {log, false, u"t.log: File too large"_s}};
    for (const auto& [path, fromCommandLine, detail] : cases) {
        SCOPED_TRACE(detail.toStdString());
        p.boxes.clear();
        window->setLogFileChooser([&path](QWidget*) { return path; });
        fromCommandLine ? p.w().setLogFile(path) : u.cmdLogToFile->click();
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, path == log ? &tenBytes : &unlimited), 0);
        flash(p, 2);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &unlimited), 0);
        ASSERT_EQ(p.boxes.size(), 1);
        EXPECT_EQ(p.boxes[0].title + u'|' + p.boxes[0].detail,
                  u"FILE ERROR|"_s + dir.filePath(detail));
        EXPECT_FALSE(u.cmdLogToFile->isChecked());
        EXPECT_EQ(QFileInfo(path).size(), 0);
    }
}

TEST_F(app_Traffic, OpensInsideTheScreenAndAgainWhereItWasClosed) {
    EXPECT_TRUE(window->screen()->availableGeometry().contains(window->frameGeometry()));
    const QRect place = window->geometry().translated(-10, 20);
    window->setGeometry(place);
    u.cmdClose->click();
    EXPECT_EQ(p.w().trafficWindow(), nullptr);
    EXPECT_EQ(Panel::settings().value(u"Traffic/Width"_s).toInt(), place.width());
    EXPECT_EQ(openTraffic(p)->geometry(), place);
    // Closed hanging over the screen's edges, or larger than it: opened again inside it.
    const QRect screen = p.w().screen()->availableGeometry();
    for (const QRect& closed : {QRect(screen.topLeft() - QPoint(40, 30), place.size()),
                                QRect(screen.bottomRight() - QPoint(40, 30), place.size()),
                                screen.adjusted(0, 0, 100, 100)}) {
        p.w().trafficWindow()->setGeometry(closed);
        p.w().trafficWindow()->close();
        EXPECT_TRUE(screen.contains(openTraffic(p)->frameGeometry())) << closed.x();
    }
    p.w().activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.w().isActiveWindow(); }));
    Panel::press(p.ui().mnuTraffic); // raised and active, not a second one
    EXPECT_TRUE(QTest::qWaitFor([&] { return p.w().trafficWindow()->isActiveWindow(); }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the closed ones
    EXPECT_EQ(p.w().findChildren<veld::app::TrafficWindow*>().size(), 1);
}

} // namespace
