#include "paperview.h"

#include "virtual/paperdots.h"
#include "virtual/paperroll.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace virt {

namespace {
constexpr int kMargin = 12; // desk around the paper, in screen pixels
constexpr int kCutGap = 14; // between two receipts
} // namespace

PaperView::PaperView(PaperRoll* paper, QWidget* parent) : QWidget(parent), m_paper(paper) {
    setAccessibleName(tr("Paper"));
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PaperView::setZoom(double zoom) {
    m_zoom = qBound(0.25, zoom, 4.0);
    resize(sizeHint());
    updateGeometry();
    update();
}

int PaperView::contentHeight() const {
    if (!m_paper)
        return 0;
    int height = 0;
    for (const Receipt& receipt : m_paper->receipts())
        height += receipt.image.height();
    height += qMax(m_paper->position(), m_paper->currentImage().height());
    return height;
}

QSize PaperView::sizeHint() const {
    const int width = m_paper ? m_paper->width() : 576;
    const int cuts = m_paper ? int(m_paper->receipts().size()) : 0;
    return QSize(int(width * m_zoom) + 2 * kMargin,
                 int(contentHeight() * m_zoom) + cuts * kCutGap + 2 * kMargin + int(40 * m_zoom));
}

QList<PaperView::Sheet> PaperView::sheets() const {
    QList<Sheet> sheets;
    if (!m_paper)
        return sheets;
    const int paperWidth = int(m_paper->width() * m_zoom);
    int y = kMargin;
    for (const Receipt& receipt : m_paper->receipts()) {
        const QRect rect(kMargin, y, paperWidth, int(receipt.image.height() * m_zoom));
        sheets << Sheet{rect, receipt.image, true, receipt.cut == CutKind::Partial, receipt.bands};
        y += rect.height() + kCutGap;
    }
    // The receipt still in the printer, with a little blank paper above the cutter.
    const QImage current = m_paper->currentImage();
    const int dots = qMax(m_paper->position(), current.height()) + 40;
    sheets << Sheet{QRect(kMargin, y, paperWidth, int(dots * m_zoom)), current, false, false,
                    m_paper->currentBands()};
    return sheets;
}

QImage PaperView::receiptAt(int y) const {
    const QList<Sheet> all = sheets();
    qsizetype at = 0;
    while (at + 1 < all.size() && y >= all.at(at).rect.bottom() + 1 + kCutGap / 2)
        ++at;
    if (all.isEmpty())
        return {};
    // Just after a cut the view shows the blank paper still in the printer: the receipt meant is
    // the one just cut.
    if (at > 0 && at == all.size() - 1 && m_paper->currentLines().isEmpty() && !hasDots(all.at(at).image))
        --at;
    return all.at(at).image;
}

QRect PaperView::bandRect(const Sheet& sheet, const PaperBand& band) const {
    const int top = sheet.rect.top() + int(band.top * m_zoom);
    const int bottom = sheet.rect.top() + int(band.bottom() * m_zoom);
    return QRect(sheet.rect.left(), top, sheet.rect.width(), qMax(1, bottom - top));
}

ByteSpan PaperView::bytesAt(const QPoint& point) const {
    for (const Sheet& sheet : sheets()) {
        if (!sheet.rect.contains(point))
            continue;
        const PaperBand* band = bandAt(sheet.bands, int((point.y() - sheet.rect.top()) / m_zoom));
        return band ? band->bytes : ByteSpan();
    }
    return ByteSpan();
}

QRect PaperView::markPrintedBy(const ByteSpan& bytes) {
    m_marked = bytes;
    QRect bounds;
    if (!bytes.isEmpty())
        for (const Sheet& sheet : sheets())
            for (const PaperBand& band : bandsOf(sheet.bands, bytes))
                bounds |= bandRect(sheet, band);
    update();
    return bounds;
}

void PaperView::stepMark(int direction) {
    QList<PaperBand> all;
    for (const Sheet& sheet : sheets())
        all << sheet.bands;
    if (all.isEmpty())
        return;
    qsizetype at = direction > 0 ? -1 : all.size();
    for (qsizetype i = 0; i < all.size(); ++i)
        if (all.at(i).bytes.intersects(m_marked)) {
            at = i;
            if (direction < 0)
                break;
        }
    at = qBound<qsizetype>(0, at + direction, all.size() - 1);
    Q_EMIT bytesChosen(all.at(at).bytes);
}

void PaperView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    Q_EMIT bytesChosen(bytesAt(event->position().toPoint()));
}

void PaperView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)
        stepMark(event->key() == Qt::Key_Down ? 1 : -1);
    else
        QWidget::keyPressEvent(event);
}

void PaperView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(0x6b, 0x6f, 0x75));
    for (const Sheet& sheet : sheets()) {
        painter.fillRect(sheet.rect, Qt::white);
        if (!sheet.image.isNull())
            painter.drawImage(
                QRect(sheet.rect.topLeft(), QSize(sheet.rect.width(), int(sheet.image.height() * m_zoom))),
                sheet.image);
        // What the chosen bytes printed, in the selection colour, the dots still readable under it.
        if (!m_marked.isEmpty())
            for (const PaperBand& band : bandsOf(sheet.bands, m_marked)) {
                QColor mark = palette().color(QPalette::Highlight);
                mark.setAlpha(90);
                painter.fillRect(bandRect(sheet, band), mark);
            }
        if (!sheet.cut)
            continue;
        // The cut: a solid line for a full cut, dashes where a partial cut leaves a bridge.
        const int cutY = sheet.rect.bottom() + 1 + kCutGap / 2;
        painter.setPen(QPen(QColor(0xc0, 0x30, 0x30), 2, sheet.partialCut ? Qt::DashLine : Qt::SolidLine));
        painter.drawLine(kMargin - 6, cutY, sheet.rect.right() + 7, cutY);
    }
}

} // namespace virt
