#include "statuslist_model.h"

#include <QDateTime>

#include <limits>

namespace {

// A block of typical lines (about 50 characters) fits without growing.
constexpr std::size_t InitialBlockBytes = 56 * 1024;

bool isLatin1(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xff)
            return false;
    }
    return true;
}

} // namespace

StatusLineModel::StatusLineModel(QObject* parent) : QAbstractListModel(parent) {}

StatusLineModel::~StatusLineModel() = default;

int StatusLineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_count;
}

QVariant StatusLineModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.column() != 0)
        return {};
    return line(index.row());
}

bool StatusLineModel::append(const QString& line) {
    if (m_count == std::numeric_limits<int>::max())
        return false;
    const int row = m_count;
    const int slot = row & (BlockRows - 1);
    if (slot == 0) {
        if (!m_blocks.empty())
            m_blocks.back()->bytes.shrink_to_fit();
        m_blocks.push_back(std::make_unique<Block>());
        m_blocks.back()->bytes.reserve(InitialBlockBytes);
    }
    Block& block = *m_blocks.back();
    block.logged[slot] = QDateTime::currentMSecsSinceEpoch();

    // The line is stored before the row is announced; rowCount() changes only inside the insert.
    if (isLatin1(line) && line.size() <= MaxPackedBytes) {
        const std::size_t start = block.bytes.size();
        block.bytes.resize(start + std::size_t(line.size()));
        char* out = block.bytes.data() + start;
        for (const QChar c : line)
            *out++ = char(c.unicode());
        block.ends[slot] = quint32(block.bytes.size()) | Latin1;
    } else if (const QByteArray utf8 = line.isValidUtf16() ? line.toUtf8() : QByteArray();
               !utf8.isEmpty() && utf8.size() <= MaxPackedBytes) {
        block.bytes.insert(block.bytes.end(), utf8.cbegin(), utf8.cend());
        block.ends[slot] = quint32(block.bytes.size()) | Utf8;
    } else {
        m_kept.insert(row, line);
        block.ends[slot] = quint32(block.bytes.size()) | Kept;
    }

    beginInsertRows({}, row, row);
    ++m_count;
    endInsertRows();
    return true;
}

QString StatusLineModel::line(int row) const {
    if (row < 0 || row >= m_count)
        return {};
    const Block& block = *m_blocks[std::size_t(row >> BlockShift)];
    const int slot = row & (BlockRows - 1);
    const quint32 start = slot ? (block.ends[slot - 1] & OffsetMask) : 0;
    const quint32 entry = block.ends[slot];
    const char* bytes = block.bytes.data() + start;
    const qsizetype size = qsizetype((entry & OffsetMask) - start);
    switch (entry & StorageMask) {
    case Latin1:
        return QString::fromLatin1(bytes, size);
    case Utf8:
        return QString::fromUtf8(bytes, size);
    default:
        return m_kept.value(row);
    }
}

qint64 StatusLineModel::loggedAt(int row) const {
    if (row < 0 || row >= m_count)
        return 0;
    return m_blocks[std::size_t(row >> BlockShift)]->logged[row & (BlockRows - 1)];
}

QString StatusLineModel::allLines() const {
    qsizetype size = m_count;
    for (const auto& block : m_blocks)
        size += qsizetype(block->bytes.size());
    QString text;
    text.reserve(size);
    for (int row = 0; row < m_count; ++row) {
        text += line(row);
        text += QLatin1Char('\n');
    }
    return text;
}
