#include "joblisting.h"

#include "commandnames.h"

#include <algorithm>

namespace virt {

namespace {

struct Located {
    int receipt;
    PaperBand band;
};

QList<Located> bandsInByteOrder(const QList<Receipt>& receipts) {
    QList<Located> bands;
    for (const Receipt& receipt : receipts)
        for (const PaperBand& band : receipt.bands)
            bands << Located{receipt.number, band};
    std::stable_sort(bands.begin(), bands.end(), [](const Located& a, const Located& b) {
        return a.band.bytes.from < b.band.bytes.from;
    });
    return bands;
}

void appendString(QByteArray& out, QByteArrayView text) {
    out += '"';
    for (char c : text) {
        const auto byte = quint8(c);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += "\\u00";
            out += QByteArray::number(byte, 16).rightJustified(2, '0');
        }
    }
    out += '"';
}

// "bytes":"1B 40", written straight into the line: a job of random bytes lists a million pieces.
void appendHex(QByteArray& out, QByteArrayView bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    out += ",\"bytes\":\"";
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out += ' ';
        const auto byte = quint8(bytes[i]);
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0xF];
    }
    out += '"';
}

const char* effectOf(HeardItem::Kind kind) {
    switch (kind) {
    case HeardItem::Kind::Unknown:
        return "ignored: unknown command";
    case HeardItem::Kind::Refused:
        return "malformed: refused header";
    case HeardItem::Kind::Truncated:
        return "malformed: truncated command";
    case HeardItem::Kind::Cleared:
        return "cleared: dropped from the receive buffer, never run";
    default:
        return nullptr;
    }
}

// One listed piece: bytes [from, to) of `item`, on `where` when it took part in a band.
void appendLine(QByteArray& out, const JobListing::Item& item, qint64 from, qint64 to, const Located* where) {
    out += "{\"offset\":" + QByteArray::number(from) + ",\"length\":" + QByteArray::number(to - from);
    const qsizetype skip = from - item.bytes.from;
    const QByteArray head = item.head.mid(skip, to - from);
    if (item.kind != HeardItem::Kind::Cleared)
        appendHex(out, head);
    if (item.kind == HeardItem::Kind::Text) {
        out += ",\"text\":";
        appendString(out, head);
    } else if (item.entry) {
        const CommandParameters parameters = commandParameters(*item.entry, item.head);
        out += ",\"command\":";
        appendString(out, parameters.mnemonic.toLatin1());
        out += ",\"meaning\":";
        appendString(out, item.entry->meaning);
        out += ",\"parameters\":{";
        for (qsizetype i = 0; i < parameters.values.size(); ++i) {
            if (i > 0)
                out += ',';
            appendString(out, parameters.values.at(i).first);
            out += ':' + QByteArray::number(parameters.values.at(i).second);
        }
        out += '}';
        const qsizetype data = (item.bytes.to - item.bytes.from) - (item.head.size() - parameters.dataBytes);
        if (data > 0)
            out += ",\"data\":" + QByteArray::number(data);
        if (item.kind == HeardItem::Kind::Ignored)
            out += ",\"effect\":\"skipped: " + QByteArray::number(to - from) + " bytes by its length\"";
    }
    if (const char* effect = effectOf(item.kind)) {
        out += ",\"effect\":";
        appendString(out, effect);
    }
    if (where)
        out += ",\"receipt\":" + QByteArray::number(where->receipt) + ",\"rows\":[" +
               QByteArray::number(where->band.top) + ',' + QByteArray::number(where->band.bottom()) + ']';
    out += "}\n";
}

} // namespace

void JobListing::heard(const HeardItem& item) {
    if (item.kind == HeardItem::Kind::Text && !m_items.isEmpty()) {
        Item& last = m_items.last();
        if (last.kind == HeardItem::Kind::Text && last.bytes.to == item.bytes.from &&
            last.bytes.link == item.bytes.link && last.head.size() < kHeadBytes) {
            last.head += item.frame;
            last.bytes.to = item.bytes.to;
            return;
        }
    }
    m_items.append(Item{item.kind, item.bytes,
                        item.frame.first(qMin<qsizetype>(item.frame.size(), kHeadBytes)), item.entry});
}

QStringList JobListing::malformed() const {
    QStringList lines;
    for (const Item& item : m_items)
        if (item.kind == HeardItem::Kind::Refused || item.kind == HeardItem::Kind::Truncated)
            lines
                << QStringLiteral("offset %1: %2: %3")
                       .arg(item.bytes.from)
                       .arg(QString::fromLatin1(effectOf(item.kind)).section(QLatin1String(": "), 1),
                            QString::fromLatin1(
                                item.head.first(qMin<qsizetype>(item.head.size(), 16)).toHex(' ').toUpper()) +
                                (item.bytes.to - item.bytes.from > 16 ? QStringLiteral(" ...") : QString()));
    return lines;
}

QByteArray JobListing::jsonLines(const QList<Receipt>& receipts) const {
    const QList<Located> bands = bandsInByteOrder(receipts);
    QByteArray out;
    out.reserve(m_items.size() * 96);
    qsizetype next = 0; // the first band that may hold what comes next
    for (const Item& item : m_items) {
        qint64 from = item.bytes.from;
        do {
            while (next < bands.size() && bands.at(next).band.bytes.to <= from)
                ++next;
            const Located* where =
                next < bands.size() && bands.at(next).band.bytes.contains(from) ? &bands.at(next) : nullptr;
            // Text runs split where their bytes reach another band; anything else is one piece.
            qint64 to = item.bytes.to;
            if (item.kind == HeardItem::Kind::Text) {
                if (where)
                    to = qMin(to, where->band.bytes.to);
                else if (next < bands.size())
                    to = qMin(to, qMax(from + 1, bands.at(next).band.bytes.from));
            }
            appendLine(out, item, from, to, where);
            from = to;
        } while (from < item.bytes.to);
    }
    return out;
}

} // namespace virt
