#include "paperview.h"

#include "virtual/paperroll.h"

#include <QPaintEvent>
#include <QPainter>

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

void PaperView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(0x6b, 0x6f, 0x75));
    if (!m_paper)
        return;
    const int paperWidth = int(m_paper->width() * m_zoom);
    int y = kMargin;
    auto drawPaper = [&](const QImage& image, int heightDots) {
        const QRect target(kMargin, y, paperWidth, int(heightDots * m_zoom));
        painter.fillRect(target, Qt::white);
        if (!image.isNull())
            painter.drawImage(QRect(target.topLeft(), QSize(paperWidth, int(image.height() * m_zoom))),
                              image);
        y += target.height();
    };
    for (const Receipt& receipt : m_paper->receipts()) {
        drawPaper(receipt.image, receipt.image.height());
        // The cut: a solid line for a full cut, dashes where a partial cut leaves a bridge.
        QPen pen(QColor(0xc0, 0x30, 0x30), 2, receipt.cut == CutKind::Partial ? Qt::DashLine : Qt::SolidLine);
        painter.setPen(pen);
        painter.drawLine(kMargin - 6, y + kCutGap / 2, kMargin + paperWidth + 6, y + kCutGap / 2);
        y += kCutGap;
    }
    // The receipt still in the printer, with a little blank paper above the cutter.
    const QImage current = m_paper->currentImage();
    drawPaper(current, qMax(m_paper->position(), current.height()) + 40);
}

} // namespace virt
