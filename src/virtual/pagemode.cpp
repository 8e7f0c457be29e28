#include "pagemode.h"

#include "virtualprofile.h"

namespace virt {

PageMode::PageMode(PrinterMechanism* printer, PaperFeed* feed) : m_printer(printer), m_feed(feed) {
    m_page.setArea(QRect(0, 0, printer->profile().widthDots, kDefaultHeight));
}

void PageMode::enter(int direction) {
    m_active = true;
    m_page.clear();
    m_page.setDirection(direction);
    m_y = 0;
}

void PageMode::print(bool keep) {
    if (m_printer->canPrint()) {
        const QRect area = m_page.area();
        PaperRoll* paper = m_printer->paper();
        paper->reserve(area.bottom() + 1);
        paper->draw(m_page.image(), area.x(), paper->position() + area.y());
        m_feed->feed(area.y() + area.height());
    }
    if (!keep)
        m_page.clear();
    m_y = 0;
}

void PageMode::reset() {
    m_active = false;
    m_page.clear();
    m_page.setArea(QRect(0, 0, m_printer->profile().widthDots, kDefaultHeight));
    m_page.setDirection(0);
    m_y = 0;
}

void PageMode::clearBuffer() {
    m_page.clear();
    m_active = false;
    m_y = 0;
}

void PageMode::setArea(int x, int y, int width, int height) {
    const int paper = m_printer->profile().widthDots;
    if (width == 0 || height == 0 || x >= paper)
        return;
    m_page.setArea(QRect(x, y, qMin(width, paper - x), qMin(height, PageBuffer::kMaxHeight)));
    m_y = 0;
}

void PageMode::setDirection(int direction) {
    if (m_active)
        m_page.setDirection(direction);
}

void PageMode::setVertical(int y) {
    if (m_active)
        m_y = y;
}

void PageMode::moveVertical(int dy) {
    if (m_active)
        m_y = qMax(0, m_y + dy);
}

void PageMode::draw(const QImage& ink, int x, int advance) {
    m_page.draw(ink, QPoint(x, m_y));
    m_y += advance;
}

} // namespace virt
