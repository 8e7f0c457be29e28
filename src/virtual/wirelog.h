#pragma once

#include "paperbands.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QList>
#include <QString>

namespace virt {

// Where received bytes stand in their link's stream; offset -1 for what has no place there.
struct WireSource {
    int link = 0;
    qint64 offset = -1;
};

// The bytes on the wire, one row per command (or run of text), newest last, with the command's
// name beside its hex. Holds at most kMaxRows rows; the oldest go first.
class WireLog : public QAbstractListModel {
    Q_OBJECT
public:
    enum class Direction { Received, Sent };
    using Source = WireSource;
    struct Entry {
        Direction direction;
        QByteArray bytes; // the first kShownBytes of it
        QString name;
        bool text = false;
        qsizetype size = 0; // all of it
        Source source;

        ByteSpan span() const {
            return ByteSpan{source.link, source.offset, source.offset < 0 ? -1 : source.offset + size};
        }
    };
    static constexpr int kShownBytes = 48;
    static constexpr int kMaxRows = 5000;
    static constexpr int kMaxTextRun = 32;

    using QAbstractListModel::QAbstractListModel;

    void addCommand(Direction direction, const QByteArray& bytes, const QString& name, Source source = {});
    // Printable bytes join the previous text row while it is short and they follow it.
    void addText(quint8 byte, int link = 0, qint64 offset = -1);
    // The received rows some of whose bytes lie in `span`, first to last.
    QList<int> rowsOf(const ByteSpan& span) const;
    void clear();

    const QList<Entry>& entries() const { return m_entries; }
    static QString format(const Entry& entry);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void append(const Entry& entry);
    QList<Entry> m_entries;
};

} // namespace virt
