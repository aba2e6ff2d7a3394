#include "app/TrafficLog.h"

#include "protocol/WireText.h"

namespace veld::app {

using namespace Qt::StringLiterals;

namespace {
QString hexAndWords(const protocol::Bytes& bytes, const std::string& words) {
    return QString::fromStdString(protocol::hexText(bytes)) + u"  "_s +
           QString::fromStdString(words);
}
} // namespace

TrafficLog::TrafficLog(ClockFn clock, QObject* parent)
    : QAbstractListModel(parent)
    , m_clock(std::move(clock)) {}

QString TrafficLog::openLog(const QString& path) {
    m_log.close();
    m_log.setFileName(path);
    if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return path + u": "_s + m_log.errorString();
    return {};
}

void TrafficLog::frameWritten(const protocol::Bytes& frame, const QString& trouble) {
    if (!collecting())
        return;
    QString line = hexAndWords(frame, protocol::describeCommand(frame));
    if (!m_sender.isEmpty())
        line += u"  ("_s + m_sender + u')';
    if (!trouble.isEmpty())
        line += u"; "_s + trouble;
    add(u">>", line);
}

void TrafficLog::readTaken(const protocol::DecodedRead& read) {
    if (!collecting())
        return;
    add(u"<<", hexAndWords(read.bytes, protocol::describeRead(read)));
    // Bytes at another line speed than the module's arrive as garbage.
    if (!read.messages.empty())
        m_undecodedReads = 0;
    else if (++m_undecodedReads == kUndecodedReadsBeforeHint)
        add(u"--", u"line speed may not match the module's: check Baud Rate and Module Baud "
                   u"Rate"_s);
}

void TrafficLog::lineEvent(const QString& words) {
    // The hint is about the line settings of now: after a change, counting begins again.
    m_undecodedReads = 0;
    if (collecting())
        add(u"--", words);
}

void TrafficLog::add(QStringView direction, const QString& text) {
    const QString line =
        m_clock().toString(u"HH:mm:ss.zzz"_s) + u' ' + direction.toString() + u' ' + text;
    if (m_log.isOpen()) {
        const QByteArray bytes = line.toUtf8() + '\n';
        if (m_log.write(bytes) != bytes.size() || !m_log.flush()) {
            const QString cause = m_log.fileName() + u": "_s + m_log.errorString();
            m_log.close();
            emit logFailed(cause);
        }
    }
    if (!m_watched)
        return;
    if (m_lines.size() == kMaxLines) {
        // The oldest line goes and row 0 says how many went: the first time,
        // in the oldest line's place.
        if (m_dropped++ == 0) {
            m_lines.pop_front();
        } else {
            beginRemoveRows({}, 1, 1);
            m_lines.pop_front();
            endRemoveRows();
        }
        emit dataChanged(index(0), index(0));
    }
    const int row = rowCount();
    beginInsertRows({}, row, row);
    m_lines.push_back(line);
    endInsertRows();
}

void TrafficLog::clear() {
    beginResetModel();
    m_lines.clear();
    m_dropped = 0;
    endResetModel();
}

QString TrafficLog::droppedRow() const {
    return m_dropped == 1 ? u"1 earlier line dropped"_s
                          : u"%1 earlier lines dropped"_s.arg(m_dropped);
}

QString TrafficLog::text() const {
    QString text;
    for (int row = 0; row < rowCount(); ++row)
        text += data(index(row), Qt::DisplayRole).toString() + u'\n';
    return text;
}

int TrafficLog::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size()) + (m_dropped > 0 ? 1 : 0);
}

QVariant TrafficLog::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    const int first = m_dropped > 0 ? 1 : 0;
    if (index.row() < first)
        return droppedRow();
    return m_lines[static_cast<std::size_t>(index.row() - first)];
}

} // namespace veld::app
