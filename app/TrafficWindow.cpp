#include "app/TrafficWindow.h"

#include "app/TrafficLog.h"
#include "ui/EnterClicks.h"
#include "ui_TrafficWindow.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QSaveFile>
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
    }) {
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->lstTraffic->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ui->lstTraffic->setModel(&m_log);
    ui::clickButtonsOnEnter(this);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);

    connect(&m_log, &QAbstractItemModel::rowsInserted, this, [this] {
        if (!ui->cmdPause->isChecked())
            ui->lstTraffic->scrollToBottom();
    });
    connect(ui->cmdPause, &QAbstractButton::toggled, this, [this](bool paused) {
        if (!paused)
            ui->lstTraffic->scrollToBottom();
    });
    connect(ui->cmdClear, &QAbstractButton::clicked, &m_log, &TrafficLog::clear);
    connect(ui->cmdSaveAs, &QAbstractButton::clicked, this, &TrafficWindow::cmdSaveAs_Click);
    connect(ui->cmdClose, &QAbstractButton::clicked, this, &QWidget::close);
    ui->lstTraffic->scrollToBottom();
}

TrafficWindow::~TrafficWindow() = default;

void TrafficWindow::closeEvent(QCloseEvent* event) {
    emit closing(geometry());
    event->accept();
}

void TrafficWindow::cmdSaveAs_Click() {
    const QString path = m_chooseFile(this);
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const QByteArray text = m_log.text().toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(text) != text.size() ||
        !file.commit())
        m_saveFailed(this, path + u": "_s + file.errorString());
}

} // namespace veld::app
