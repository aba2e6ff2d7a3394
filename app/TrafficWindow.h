#pragma once

#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class TrafficWindow;
}

namespace veld::app {

class TrafficLog;

// "Traffic": the lines of a TrafficLog, newest at the bottom, with Pause (no
// scrolling; lines are still kept), Clear and Save As... (the lines as shown,
// as plain text). A window of its own beside the panel; deleted when closed.
class TrafficWindow : public QWidget {
    Q_OBJECT

public:
    // Asks where to save ("" when cancelled); tells that saving failed.
    using SaveFileFn = std::function<QString(QWidget* parent)>;
    using FailureFn = std::function<void(QWidget* parent, const QString& cause)>;

    TrafficWindow(TrafficLog& log, FailureFn saveFailed, QWidget* parent);
    ~TrafficWindow() override;

    const Ui::TrafficWindow& form() const { return *ui; }
    void setSaveFileChooser(SaveFileFn choose) { m_chooseFile = std::move(choose); }

signals:
    // Closing: its place and size, to be kept.
    void closing(const QRect& place);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdSaveAs_Click();

    std::unique_ptr<Ui::TrafficWindow> ui;
    TrafficLog& m_log;
    FailureFn m_saveFailed;
    SaveFileFn m_chooseFile;
};

} // namespace veld::app
