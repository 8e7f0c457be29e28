#include "pagebuffer.h"

#include <QPainter>
#include <QTransform>

namespace virt {

void PageBuffer::setArea(const QRect& area) {
    if (area.size() != m_area.size())
        m_page = QImage();
    m_area = area;
    m_area.setHeight(qMin(area.height(), kMaxHeight));
    m_empty = m_page.isNull();
}

QSize PageBuffer::logicalSize() const {
    return (m_direction % 2) ? QSize(m_area.height(), m_area.width()) : m_area.size();
}

void PageBuffer::ensureImage() {
    if (!m_page.isNull() || m_area.isEmpty())
        return;
    m_page = QImage(m_area.size(), QImage::Format_ARGB32_Premultiplied);
    m_page.fill(Qt::transparent);
}

void PageBuffer::draw(const QImage& ink, QPoint at) {
    ensureImage();
    if (m_page.isNull() || ink.isNull())
        return;
    const int w = m_area.width(), h = m_area.height();
    QTransform toPhysical;
    switch (m_direction) {
    case 1:
        toPhysical.translate(0, h).rotate(-90);
        break;
    case 2:
        toPhysical.translate(w, h).rotate(180);
        break;
    case 3:
        toPhysical.translate(w, 0).rotate(90);
        break;
    default:
        break;
    }
    // Quarter turns of whole pixels are exact: turn the ink, then place it where its corners land.
    const QRect target = toPhysical.mapRect(QRectF(at, ink.size())).toAlignedRect();
    const QImage turned =
        m_direction ? ink.transformed(QTransform().rotate(90.0 * (4 - m_direction)), Qt::FastTransformation)
                    : ink;
    QPainter painter(&m_page);
    painter.drawImage(target.topLeft(), turned);
    m_empty = false;
}

void PageBuffer::clear() {
    m_page = QImage();
    m_empty = true;
}

QImage PageBuffer::image() const {
    if (!m_page.isNull())
        return m_page;
    QImage blank(m_area.size(), QImage::Format_ARGB32_Premultiplied);
    blank.fill(Qt::transparent);
    return blank;
}

} // namespace virt
