#pragma once

#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class TrafficWindow;
}

namespace veld::app {

class FailureReports;
class TrafficLog;

// "Traffic": the lines of a TrafficLog, newest at the bottom, followed while
// the view is at the bottom (scrolled up, it stays put), with Pause (no
// following; lines are still kept), Clear, Save As... (the lines as shown, as
// plain text) and Log to File... (every line from now on appended to a file,
// until clicked again). A window of its own beside the panel; deleted when closed.
class TrafficWindow : public QWidget {
    Q_OBJECT

public:
    // Asks where to save or log ("" when cancelled); tells that saving failed.
    using SaveFileFn = std::function<QString(QWidget* parent)>;
    using FailureFn = std::function<void(QWidget* parent, const QString& cause)>;

    TrafficWindow(TrafficLog& log, FailureFn saveFailed, QWidget* parent);
    ~TrafficWindow() override;

    // Shown beside the panel, or where it was last closed; the log is watched
    // while it is open, and its place kept when it closes.
    static TrafficWindow* openBeside(QWidget& panel, TrafficLog& log, FailureReports& reports);

    const Ui::TrafficWindow& form() const { return *ui; }
    void setSaveFileChooser(SaveFileFn choose) { m_chooseFile = std::move(choose); }
    void setLogFileChooser(SaveFileFn choose) { m_chooseLogFile = std::move(choose); }

signals:
    // Closing: its place and size, to be kept.
    void closing(const QRect& place);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdSaveAs_Click();
    void cmdLogToFile_Click();
    void showLogFile();
    void followNewLines();
    void widenRows(int first, int last);

    std::unique_ptr<Ui::TrafficWindow> ui;
    TrafficLog& m_log;
    FailureFn m_saveFailed;
    SaveFileFn m_chooseFile;
    SaveFileFn m_chooseLogFile;
    // The longest line in the list, in characters: the column's width.
    qsizetype m_widest = 0;
    // The view was at the bottom when it last moved: new lines are followed.
    bool m_following = true;
};

} // namespace veld::app
