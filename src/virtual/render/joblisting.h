#pragma once

#include "virtual/heardlistener.h"
#include "virtual/paperroll.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace virt {

// A job as the printer took it, piece by piece: every byte of the stream belongs to exactly one
// listed piece. Runs of text are joined; a piece keeps at most kHeadBytes of its bytes, so a
// megabyte image costs a few dozen.
class JobListing : public HeardListener {
public:
    static constexpr int kHeadBytes = 64;

    struct Item {
        HeardItem::Kind kind;
        ByteSpan bytes;
        QByteArray head;
        const CommandEntry* entry = nullptr;
    };

    void heard(const HeardItem& item) override;

    const QList<Item>& items() const { return m_items; }
    // Commands refused by their header or cut off by the end of the stream, one line each.
    QStringList malformed() const;
    // One JSON object a line: offset, length, bytes, the command's name and parameters or the
    // text, and the receipt and rows that the piece's band of paper took (a text run that spans
    // two lines is listed in two parts); or what became of bytes that printed nothing.
    QByteArray jsonLines(const QList<Receipt>& receipts) const;

private:
    QList<Item> m_items;
};

} // namespace virt
