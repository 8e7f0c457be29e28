#include "paperview.h"

#include "virtual/paperroll.h"

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
        sheets << Sheet{rect, receipt.image, true, receipt.cut == CutKind::Partial};
        y += rect.height() + kCutGap;
    }
    // The receipt still in the printer, with a little blank paper above the cutter.
    const QImage current = m_paper->currentImage();
    const int dots = qMax(m_paper->position(), current.height()) + 40;
    sheets << Sheet{QRect(kMargin, y, paperWidth, int(dots * m_zoom)), current};
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
    if (at > 0 && at == all.size() - 1 && m_paper->currentLines().isEmpty() && !hasInk(all.at(at).image))
        --at;
    return all.at(at).image;
}

bool PaperView::hasInk(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    for (int row = 0; row < gray.height(); ++row) {
        const uchar* line = gray.constScanLine(row);
        if (std::any_of(line, line + gray.width(), [](uchar level) { return level < 128; }))
            return true;
    }
    return false;
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
        if (!sheet.cut)
            continue;
        // The cut: a solid line for a full cut, dashes where a partial cut leaves a bridge.
        const int cutY = sheet.rect.bottom() + 1 + kCutGap / 2;
        painter.setPen(QPen(QColor(0xc0, 0x30, 0x30), 2, sheet.partialCut ? Qt::DashLine : Qt::SolidLine));
        painter.drawLine(kMargin - 6, cutY, sheet.rect.right() + 7, cutY);
    }
}

} // namespace virt
