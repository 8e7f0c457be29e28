#include "paperroll.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "paperdots.h"

namespace virt {

PaperRoll::PaperRoll(int widthDots, QObject* parent) : QObject(parent), m_width(widthDots) {}

void PaperRoll::ensureHeight(int height) {
    if (height <= m_canvas.height())
        return;
    const int newHeight = qMin(kMaxReceiptDots, qMax(height, qMax(256, m_canvas.height() * 2)));
    QImage grown = blankCanvas(m_width, newHeight);
    const int kept = m_canvas.isNull() ? 0 : qMin(m_canvas.height(), m_inkBottom);
    if (kept > 0)
        std::memcpy(grown.bits(), m_canvas.constBits(), size_t(kept) * size_t(grown.bytesPerLine()));
    m_canvas = std::move(grown);
}

// Rows of the canvas back to blank paper. Rows below what is printed are always blank, so the
// canvas is kept from receipt to receipt and a cut moves no more than it must.
void PaperRoll::whiten(int from, int to) {
    from = qMax(0, from);
    to = qMin(to, m_canvas.height());
    if (from < to) // the rows lie one after another
        std::memset(m_canvas.scanLine(from), 255, size_t(to - from) * size_t(m_canvas.bytesPerLine()));
}

void PaperRoll::reserve(int height) {
    height = qBound(0, height, kMaxReceiptDots);
    if (m_position + height > kMaxReceiptDots)
        cut(CutKind::Torn);
    ensureHeight(m_position + height);
}

void PaperRoll::draw(const QImage& ink, int x, int y) {
    if (ink.isNull() || y >= kMaxReceiptDots)
        return;
    const int bottom = qMin(kMaxReceiptDots, y + ink.height());
    ensureHeight(bottom);
    inkOnto(m_canvas, ink, x, y);
    m_inkBottom = qMax(m_inkBottom, bottom);
    noteBand(y, bottom - y);
    Q_EMIT changed();
}

// A line's dots and the feed after them come from one command: they make one band.
void PaperRoll::noteBand(int top, int height) {
    if (!m_source || height <= 0)
        return;
    ByteSpan& pending = m_source->pending;
    if (pending.isEmpty() && !m_bands.isEmpty()) {
        PaperBand& last = m_bands.last();
        if (last.bytes.link == pending.link && last.bytes.to == pending.to && top <= last.bottom() &&
            top >= last.top) {
            last.height = qMax(last.bottom(), top + height) - last.top;
            return;
        }
    }
    const qint64 from = pending.isEmpty() ? m_source->commandFrom : pending.from;
    m_bands.append(PaperBand{top, height, ByteSpan{pending.link, from, pending.to}});
    pending.from = pending.to;
}

bool PaperRoll::eraseLine(int top, int height, const QString& text) {
    for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
        if (m_lines.at(i).top != top || m_lines.at(i).text != text)
            continue;
        m_lines.removeAt(i);
        // The bytes made nothing that reached the customer.
        m_bands.removeIf([&](const PaperBand& band) { return band.top == top && band.height >= height; });
        whiten(top, top + height);
        Q_EMIT changed();
        return true;
    }
    return false;
}

void PaperRoll::feed(int dots) {
    if (dots <= 0)
        return;
    if (m_position + dots > kMaxReceiptDots) {
        cut(CutKind::Torn);
        dots = qMin(dots, kMaxReceiptDots);
    }
    noteBand(m_position, dots);
    m_position += dots;
    ensureHeight(m_position);
    Q_EMIT changed();
}

void PaperRoll::feedBack(int dots) {
    const int back = qBound(0, dots, m_position);
    if (back == 0)
        return;
    m_position -= back;
    Q_EMIT changed();
}

QImage PaperRoll::currentImage() const {
    const int height = qMax(m_position, m_inkBottom);
    if (height == 0 || m_canvas.isNull())
        return QImage();
    return m_canvas.copy(0, 0, m_width, qMin(height, m_canvas.height()));
}

Receipt PaperRoll::cut(CutKind kind, int aboveHead) {
    const int carried = qBound(0, aboveHead, m_position);
    const int cutAt = m_position - carried;
    const int bottom = qMax(m_position, m_inkBottom);
    QList<PrintedLine> restLines;
    QList<PaperBand> restBands;
    if (carried > 0) {
        for (qsizetype i = m_lines.size() - 1; i >= 0; --i)
            if (m_lines.at(i).top >= cutAt) {
                PrintedLine moved = m_lines.takeAt(i);
                moved.top -= cutAt;
                restLines.prepend(moved);
            }
        // A band the blade passes through is on both receipts, each its own part.
        for (PaperBand& band : m_bands) {
            if (band.bottom() <= cutAt)
                continue;
            const int top = qMax(band.top, cutAt);
            restBands << PaperBand{top - cutAt, band.bottom() - top, band.bytes};
            band.height = qMax(0, cutAt - band.top);
        }
        m_bands.removeIf([](const PaperBand& band) { return band.height == 0; });
    }
    Receipt receipt;
    receipt.number = ++m_cutCount;
    const int rows = carried > 0 ? cutAt : bottom;
    receipt.image = oneBitADot(m_canvas, rows > 0 && !m_canvas.isNull() ? qMin(rows, m_canvas.height()) : 0);
    receipt.lines = m_lines;
    receipt.bands = m_bands;
    receipt.cut = kind;
    // What lies between the blade and the head moves to the top; the rest becomes blank again.
    const int restRows = carried > 0 ? qMin(bottom, m_canvas.height()) - cutAt : 0;
    if (restRows > 0)
        std::memmove(m_canvas.bits(), m_canvas.constBits() + qsizetype(cutAt) * m_canvas.bytesPerLine(),
                     size_t(restRows) * size_t(m_canvas.bytesPerLine()));
    whiten(qMax(0, restRows), qMax(restRows, m_inkBottom)); // below the ink the paper is blank already
    // A long receipt's canvas goes once it is cut, not while the printer tears off more of it.
    if (kind != CutKind::Torn && m_canvas.height() > m_keptCanvasDots && bottom - cutAt < m_keptCanvasDots)
        m_canvas = m_canvas.copy(0, 0, m_width, m_keptCanvasDots);
    m_position = carried;
    m_inkBottom = carried > 0 ? bottom - cutAt : 0;
    m_lines = restLines;
    m_bands = restBands;

    // Keep only so much history.
    m_receipts.append(receipt);
    m_keptDots += receipt.image.height();
    while (m_keptDots > kKeptHistoryDots && m_receipts.size() > 1) {
        m_keptDots -= m_receipts.front().image.height();
        m_receipts.removeFirst();
    }
    Q_EMIT receiptClosed(receipt); // one bit a dot already: the capture saves it as it is
    Q_EMIT changed();
    return receipt;
}

void PaperRoll::clear() {
    m_receipts.clear();
    m_keptDots = 0;
    whiten(0, qMax(m_position, m_inkBottom));
    m_position = 0;
    m_inkBottom = 0;
    m_lines.clear();
    m_bands.clear();
    Q_EMIT changed();
}

} // namespace virt
