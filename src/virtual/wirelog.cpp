#include "wirelog.h"

namespace virt {

void WireLog::append(const Entry& entry) {
    if (m_entries.size() >= kMaxRows) {
        const int drop = kMaxRows / 10;
        beginRemoveRows(QModelIndex(), 0, drop - 1);
        m_entries.remove(0, drop);
        endRemoveRows();
    }
    beginInsertRows(QModelIndex(), int(m_entries.size()), int(m_entries.size()));
    m_entries.append(entry);
    endInsertRows();
}

void WireLog::addCommand(Direction direction, const QByteArray& bytes, const QString& name, Source source) {
    // Keep only what the monitor shows: a raster block must not pile up here.
    append(Entry{direction, bytes.left(kShownBytes), name, false, bytes.size(), source});
}

void WireLog::addText(quint8 byte, int link, qint64 offset) {
    if (!m_entries.isEmpty()) {
        Entry& last = m_entries.last();
        const bool follows = last.source.link == link &&
                             (offset < 0 ? last.source.offset < 0 : last.source.offset + last.size == offset);
        if (last.text && last.direction == Direction::Received && last.bytes.size() < kMaxTextRun &&
            follows) {
            last.bytes.append(char(byte));
            ++last.size;
            const QModelIndex index = createIndex(int(m_entries.size()) - 1, 0);
            Q_EMIT dataChanged(index, index, {Qt::DisplayRole});
            return;
        }
    }
    append(Entry{Direction::Received, QByteArray(1, char(byte)), QString(), true, 1, Source{link, offset}});
}

QList<int> WireLog::rowsOf(const ByteSpan& span) const {
    QList<int> rows;
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        if (m_entries.at(i).direction == Direction::Received && m_entries.at(i).span().intersects(span))
            rows << int(i);
    return rows;
}

void WireLog::clear() {
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

QString WireLog::format(const Entry& entry) {
    const QString arrow =
        entry.direction == Direction::Received ? QStringLiteral("in ") : QStringLiteral("out");
    QString hex = QString::fromLatin1(entry.bytes.toHex(' ').toUpper());
    if (entry.size > entry.bytes.size())
        hex += QStringLiteral(" ... (%1 bytes)").arg(entry.size);
    QString name = entry.name;
    if (entry.text) {
        QString shown;
        for (char c : entry.bytes)
            shown += (quint8(c) >= 0x20 && quint8(c) < 0x7F) ? QChar::fromLatin1(c) : QChar(u'.');
        name = QStringLiteral("text \"%1\"").arg(shown);
    }
    return QStringLiteral("%1  %2  %3").arg(arrow, hex.leftJustified(36), name);
}

int WireLog::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant WireLog::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_entries.size())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return format(m_entries.at(index.row()));
    return QVariant();
}

} // namespace virt
