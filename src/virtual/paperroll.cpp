#include "paperroll.h"

#include <QPainter>

namespace virt {

PaperRoll::PaperRoll(int widthDots, QObject* parent) : QObject(parent), m_width(widthDots) {}

void PaperRoll::ensureHeight(int height) {
    if (height <= m_canvas.height())
        return;
    const int newHeight = qMin(kMaxReceiptDots, qMax(height, qMax(256, m_canvas.height() * 2)));
    QImage grown(m_width, newHeight, QImage::Format_RGB32);
    grown.fill(Qt::white);
    if (!m_canvas.isNull()) {
        QPainter painter(&grown);
        painter.drawImage(0, 0, m_canvas);
    }
    m_canvas = grown;
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
    QPainter painter(&m_canvas);
    painter.drawImage(x, y, ink);
    m_inkBottom = qMax(m_inkBottom, bottom);
    Q_EMIT changed();
}

bool PaperRoll::eraseLine(int top, int height, const QString& text) {
    for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
        if (m_lines.at(i).top != top || m_lines.at(i).text != text)
            continue;
        m_lines.removeAt(i);
        if (!m_canvas.isNull()) {
            QPainter painter(&m_canvas);
            painter.fillRect(0, top, m_width, height, Qt::white);
        }
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
    m_position += dots;
    ensureHeight(m_position);
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
    QImage rest;
    QList<PrintedLine> restLines;
    if (carried > 0) {
        rest = QImage(m_width, bottom - cutAt, QImage::Format_RGB32);
        rest.fill(Qt::white);
        if (!m_canvas.isNull()) {
            QPainter painter(&rest);
            painter.drawImage(0, 0, m_canvas, 0, cutAt, m_width, bottom - cutAt);
        }
        for (qsizetype i = m_lines.size() - 1; i >= 0; --i)
            if (m_lines.at(i).top >= cutAt) {
                PrintedLine moved = m_lines.takeAt(i);
                moved.top -= cutAt;
                restLines.prepend(moved);
            }
    }
    Receipt receipt;
    receipt.number = ++m_cutCount;
    const int rows = carried > 0 ? cutAt : bottom;
    if (rows > 0 && !m_canvas.isNull())
        receipt.image = m_canvas.copy(0, 0, m_width, qMin(rows, m_canvas.height()));
    if (receipt.image.isNull()) {
        receipt.image = QImage(m_width, 1, QImage::Format_RGB32);
        receipt.image.fill(Qt::white);
    }
    receipt.lines = m_lines;
    receipt.cut = kind;
    m_canvas = rest;
    m_position = carried;
    m_inkBottom = rest.isNull() ? 0 : rest.height();
    m_lines = restLines;

    // Keep the history in one bit per dot, and only so much of it.
    Receipt kept = receipt;
    kept.image = receipt.image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    m_receipts.append(kept);
    m_keptDots += kept.image.height();
    while (m_keptDots > kKeptHistoryDots && m_receipts.size() > 1) {
        m_keptDots -= m_receipts.front().image.height();
        m_receipts.removeFirst();
    }
    Q_EMIT receiptClosed(kept); // one bit a dot already: the capture saves it as it is
    Q_EMIT changed();
    return receipt;
}

void PaperRoll::clear() {
    m_receipts.clear();
    m_keptDots = 0;
    m_canvas = QImage();
    m_position = 0;
    m_inkBottom = 0;
    m_lines.clear();
    Q_EMIT changed();
}

} // namespace virt
