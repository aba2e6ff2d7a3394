#pragma once

#include "protocol/Frame.h"
#include "protocol/ReadDecoder.h"

#include <QAbstractListModel>
#include <QFile>
#include <QString>
#include <QTime>
#include <deque>
#include <functional>

namespace veld::app {

// What happens on the line, one line of text per event: "12:00:00.250 >> FE
// FC FF  toggle flashing" for a frame written, "<<" for a read of the poll
// timer and what the panel made of it, "--" for the port's events. Lines are
// made only while someone looks (the traffic window is open) or a log file is
// written; the last kMaxLines are kept, the first row then saying how many
// went before. Also the traffic window's list.
class TrafficLog : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int kMaxLines = 10000;
    // Reads in a row that decode to nothing before the line speed is doubted.
    static constexpr int kUndecodedReadsBeforeHint = 3;
    using ClockFn = std::function<QTime()>;

    explicit TrafficLog(ClockFn clock, QObject* parent = nullptr);

    bool collecting() const { return m_watched || m_log.isOpen(); }
    void setWatched(bool watched) { m_watched = watched; }
    // Appends every line from now on to the file, flushed line by line. The
    // cause when it cannot be opened; empty when it is.
    QString openLog(const QString& path);

    void frameWritten(const protocol::Bytes& frame, const QString& trouble);
    // Who sends the frames written from now on ("veldctl, PID 4242"); empty: the panel.
    void setSender(const QString& sender) { m_sender = sender; }
    void readTaken(const protocol::DecodedRead& read);
    void lineEvent(const QString& words);

    void clear();
    // The rows as shown, one per line.
    QString text() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

signals:
    // The log file could not be written: it is closed, and this said once.
    void logFailed(const QString& cause);

private:
    void add(QStringView direction, const QString& text);
    QString droppedRow() const;

    ClockFn m_clock;
    bool m_watched = false;
    QFile m_log;
    std::deque<QString> m_lines;
    qint64 m_dropped = 0;
    int m_undecodedReads = 0;
    QString m_sender;
};

} // namespace veld::app
