#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QString>

#include <memory>
#include <vector>

// The lines of the status list, append-only and stored compactly: each line as Latin-1 bytes when it
// fits, otherwise as UTF-8, packed into blocks of 1024 lines with one 32-bit end offset per line. A
// line that neither encoding keeps exactly (lone surrogates) or that is very long is kept as it is.
// Appending costs the same at any length.
class StatusLineModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit StatusLineModel(QObject* parent = nullptr);
    ~StatusLineModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Appends a line at the end; false (and nothing added) only when the list holds INT_MAX lines.
    bool append(const QString& line);
    // The exact text of a line; an empty text for a row out of range.
    QString line(int row) const;
    // All lines, each followed by a line feed.
    QString allLines() const;
    // When a line was appended, in milliseconds since the epoch; 0 for a row out of range.
    qint64 loggedAt(int row) const;

private:
    static constexpr int BlockShift = 10;
    static constexpr int BlockRows = 1 << BlockShift;
    // The top two bits of an end offset say how the line is stored.
    static constexpr quint32 OffsetMask = (1u << 30) - 1;
    enum Storage : quint32 { Latin1 = 0, Utf8 = 1u << 30, Kept = 2u << 30, StorageMask = 3u << 30 };
    // Longer lines are kept as they are, so a block stays far below 2^30 bytes.
    static constexpr qsizetype MaxPackedBytes = 64 * 1024;

    struct Block {
        std::vector<char> bytes;
        quint32 ends[BlockRows];
        qint64 logged[BlockRows];
    };

    std::vector<std::unique_ptr<Block>> m_blocks;
    QHash<int, QString> m_kept;
    int m_count = 0;
};
