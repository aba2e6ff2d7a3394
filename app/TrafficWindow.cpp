#include "app/TrafficWindow.h"

#include "app/FailureReports.h"
#include "app/LogFile.h"
#include "app/PanelSettings.h"
#include "app/Placement.h"
#include "app/TrafficLog.h"
#include "app/TrafficRowDelegate.h"
#include "ui/EnterClicks.h"
#include "ui_TrafficWindow.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QSaveFile>
#include <QScrollBar>
#include <QShortcut>

namespace veld::app {

using namespace Qt::StringLiterals;

TrafficWindow::TrafficWindow(TrafficLog& log, FailureFn saveFailed, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::TrafficWindow>())
    , m_log(log)
    , m_saveFailed(std::move(saveFailed))
    , m_chooseFile([](QWidget* parent) {
        return QFileDialog::getSaveFileName(parent, u"Save Traffic As"_s, u"veld-traffic.txt"_s,
                                            u"Text files (*.txt);;All files (*)"_s);
    })
    , m_chooseLogFile([](QWidget* parent) {
        return QFileDialog::getSaveFileName(parent, u"Log Traffic To"_s, u"veld-traffic.log"_s,
                                            u"Log files (*.log *.txt);;All files (*)"_s, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    }) {
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->lstTraffic->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ui->lstTraffic->setItemDelegate(new TrafficRowDelegate(ui->lstTraffic));
    ui->lstTraffic->setModel(&m_log);
    // Rows of one height and one column: a new row is laid out without
    // looking at the others.
    QHeaderView* rows = ui->lstTraffic->verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(TrafficRowDelegate::rowSize(*ui->lstTraffic, 1).height());
    rows->setSectionResizeMode(QHeaderView::Fixed);
    ui->lstTraffic->horizontalHeader()->setMinimumSectionSize(1);
    ui::clickButtonsOnEnter(this);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);

    followNewLines();
    connect(ui->cmdPause, &QAbstractButton::toggled, this, [this](bool paused) {
        if (!paused)
            ui->lstTraffic->scrollToBottom();
    });
    connect(ui->cmdClear, &QAbstractButton::clicked, &m_log, &TrafficLog::clear);
    connect(ui->cmdSaveAs, &QAbstractButton::clicked, this, &TrafficWindow::cmdSaveAs_Click);
    connect(ui->cmdLogToFile, &QAbstractButton::clicked, this, &TrafficWindow::cmdLogToFile_Click);
    connect(&m_log, &TrafficLog::logChanged, this, &TrafficWindow::showLogFile);
    connect(ui->cmdClose, &QAbstractButton::clicked, this, &QWidget::close);
    showLogFile();
    ui->lstTraffic->scrollToBottom();
}

// The list lays its rows out after the event that added them: the view goes
// to the bottom once the scroll bar's range has grown, if it was there before.
void TrafficWindow::followNewLines() {
    QScrollBar* bar = ui->lstTraffic->verticalScrollBar();
    connect(bar, &QAbstractSlider::valueChanged, this,
            [this, bar](int value) { m_following = value == bar->maximum(); });
    connect(bar, &QAbstractSlider::rangeChanged, this, [this, bar](int, int maximum) {
        if (m_following && !ui->cmdPause->isChecked())
            bar->setValue(maximum);
    });
    // Every row as wide as the longest line: one look at each new line.
    widenRows(0, m_log.rowCount() - 1);
    connect(&m_log, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { widenRows(first, last); });
    connect(&m_log, &QAbstractItemModel::modelReset, this, [this] {
        m_widest = 0;
        widenRows(0, -1);
    });
}

void TrafficWindow::widenRows(int first, int last) {
    for (int row = first; row <= last; ++row)
        m_widest =
            std::max(m_widest, m_log.data(m_log.index(row), Qt::DisplayRole).toString().size());
    const int width = TrafficRowDelegate::rowSize(*ui->lstTraffic, m_widest).width();
    if (ui->lstTraffic->columnWidth(0) != width)
        ui->lstTraffic->setColumnWidth(0, width);
}

TrafficWindow::~TrafficWindow() = default;

void TrafficWindow::closeEvent(QCloseEvent* event) {
    emit closing(geometry());
    event->accept();
}

TrafficWindow* TrafficWindow::openBeside(QWidget& panel, TrafficLog& log, FailureReports& reports) {
    auto* window = new TrafficWindow(
        log,
        [&reports](QWidget* parent, const QString& cause) {
            reports.show(u"FILE ERROR"_s, u"The traffic could not be saved"_s, cause, parent);
        },
        &panel);
    connect(window, &TrafficWindow::closing, &panel, [&log, &reports](const QRect& place) {
        log.setWatched(false);
        if (!storeTrafficPlace(place))
            reports.settingsNotStored();
    });
    window->setGeometry(trafficPlace(panel, *window, storedTrafficPlace()));
    log.setWatched(true);
    window->show();
    return window;
}

void TrafficWindow::cmdSaveAs_Click() {
    const QString path = m_chooseFile(this);
    if (path.isEmpty())
        return;
    if (const QString refused = LogFile::refusal(path); !refused.isEmpty()) {
        m_saveFailed(this, refused);
        return;
    }
    // Into a new file that takes the old one's place once whole; written
    // here rather than through QSaveFile's buffer, whose errors on a full
    // disk come out as "Unknown error".
    QSaveFile file(path);
    const int error = file.open(QIODevice::WriteOnly)
                          ? LogFile::writeAll(file.handle(), m_log.text().toUtf8())
                          : -1;
    if (error > 0) {
        file.cancelWriting();
        m_saveFailed(this, LogFile::cause(path, error));
    } else if (error < 0 || !file.commit()) {
        m_saveFailed(this, path + u": "_s + file.errorString());
    }
}

void TrafficWindow::cmdLogToFile_Click() {
    if (m_log.logFile().isEmpty()) {
        if (const QString path = m_chooseLogFile(this); !path.isEmpty())
            m_log.openLog(path);
    } else {
        m_log.closeLog();
    }
    showLogFile();
}

void TrafficWindow::showLogFile() {
    const QString file = m_log.logFile();
    ui->cmdLogToFile->setChecked(!file.isEmpty());
    ui->cmdLogToFile->setText(file.isEmpty() ? u"&Log to File..."_s
                                             : u"&Logging to %1"_s.arg(QFileInfo(file).fileName()));
    ui->cmdLogToFile->setToolTip(file.isEmpty() ? u"Append each line to a file as it comes"_s
                                                : file + u"; click to stop"_s);
}

} // namespace veld::app
