#include "linecomposer.h"

#include "codepages.h"
#include "framebytes.h"
#include "wirelog.h"

#include <QPainter>

namespace virt {

LineComposer::LineComposer(PrinterMechanism* printer, const PrintModes* modes, PageMode* page,
                           PaperFeed* feed)
    : m_printer(printer), m_modes(modes), m_page(page), m_feed(feed) {}

QString LineComposer::pendingText() const {
    QString text;
    for (const Item& item : m_items)
        if (!item.ch.isNull())
            text += item.ch;
    return text;
}

int LineComposer::width() const {
    if (m_page->isActive())
        return m_page->width();
    const int paper = m_printer->profile().widthDots;
    return qBound(0, qMin(m_modes->areaWidth, paper - m_modes->leftMargin), paper);
}

int LineComposer::lineHeight() const {
    int height = 0;
    for (const Item& item : m_items)
        height = qMax(height, item.ink.height());
    return height;
}

int LineComposer::justifiedLeft(int contentWidth) const {
    const int area = width();
    int left = m_modes->leftMargin;
    if (m_modes->justification == 1)
        left += (area - contentWidth) / 2;
    else if (m_modes->justification == 2)
        left += area - contentWidth;
    return left;
}

void LineComposer::addCharacter(quint8 byte) {
    if (!m_printer->canPrint())
        return;
    const QChar ch = decodeByte(m_modes->codePage, byte);
    const TextStyle style = m_modes->effectiveStyle();
    add(m_printer->glyphs().render(ch == QChar(0xFFFD) ? QChar(u'?') : ch, style), ch, style);
}

void LineComposer::addImage(const QImage& ink) {
    if (m_printer->canPrint())
        add(ink, QChar(), m_modes->effectiveStyle());
}

void LineComposer::add(const QImage& ink, QChar ch, const TextStyle& style) {
    const int width = this->width();
    if (ink.width() > width)
        return; // wider than the print area: nothing of it fits
    if (m_x + ink.width() > width || m_items.size() >= kMaxItems)
        printLine(-1); // the line is full: it wraps
    m_items.append(Item{ink, m_x, ch, style});
    m_x += ink.width();
}

void LineComposer::tab() {
    const int column = m_printer->glyphs().cell(m_modes->style.fontB).width + m_modes->style.rightSpacing;
    for (int stop : m_modes->tabStops) {
        if (stop * column > m_x) {
            if (stop * column <= width())
                m_x = stop * column;
            break;
        }
    }
}

void LineComposer::setPosition(int x) {
    if (x >= 0 && x < width())
        m_x = x;
}

void LineComposer::movePosition(int dx) {
    setPosition(m_x + dx);
}

void LineComposer::printLine(int feed) {
    if (!m_printer->canPrint())
        return;
    const int spacing = m_modes->lineSpacing;
    if (m_items.isEmpty()) {
        const int advance = feed < 0 ? spacing : feed;
        if (m_page->isActive())
            m_page->advance(advance);
        else
            m_feed->feed(advance);
        m_x = 0;
        return;
    }
    const int height = lineHeight();
    int contentWidth = 0;
    for (const Item& item : m_items)
        contentWidth = qMax(contentWidth, item.x + item.ink.width());
    const int advance = feed < 0 ? qMax(spacing, height) : feed;
    const bool page = m_page->isActive();
    const int left = page ? 0 : justifiedLeft(contentWidth);
    QImage strip(qMax(1, page ? m_page->width() : m_printer->profile().widthDots), height,
                 QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    {
        QPainter painter(&strip);
        for (const Item& item : m_items)
            painter.drawImage(left + item.x, height - item.ink.height(), item.ink); // on a common baseline
    }
    if (page)
        m_page->draw(strip, 0, advance);
    else
        printOnPaper(strip, advance, left, contentWidth);
    m_items.clear();
    m_x = 0;
}

void LineComposer::printOnPaper(QImage strip, int advance, int left, int contentWidth) {
    if (m_modes->upsideDown)
        strip = strip.mirrored(true, true);
    const QString text = pendingText();
    PaperRoll* paper = m_printer->paper();
    paper->reserve(strip.height());
    const int top = paper->position();
    paper->draw(strip, 0, top);
    if (!text.isEmpty())
        paper->addLine(PrintedLine{text, top, strip.height(), left, contentWidth, m_items.front().style});
    m_feed->feed(advance);
    m_printer->notePrinting(top, strip.height(), text);
}

void LineComposer::finishLine() {
    if (!m_items.isEmpty())
        printLine(-1);
}

void LineComposer::feedLines(int lines) {
    const int spacing = m_modes->lineSpacing;
    if (m_items.isEmpty()) {
        printLine(lines * spacing);
        return;
    }
    printLine(lines == 0 ? 0 : qMax(spacing, lineHeight()) + (lines - 1) * spacing);
}

// ESC e: prints the buffer, then pulls the paper back n lines in standard mode. A thermal
// mechanism has a small limit; beyond it the paper stays where it is.
void LineComposer::reverseFeedLines(int lines) {
    if (m_page->isActive())
        return;
    if (!m_items.isEmpty())
        printLine(0);
    const int dots = lines * m_modes->lineSpacing;
    const int limit = m_printer->profile().maxReverseFeedDots;
    if (dots > limit) {
        m_printer->wireLog()->addCommand(
            WireLog::Direction::Received, QByteArray(),
            QStringLiteral("reverse feed of %1 dots beyond this printer's %2: paper not moved")
                .arg(dots)
                .arg(limit));
        return;
    }
    if (m_printer->canPrint())
        m_printer->paper()->feedBack(dots);
}

void LineComposer::printBlock(const QImage& ink) {
    if (!m_printer->canPrint() || ink.isNull())
        return;
    finishLine();
    if (m_page->isActive()) {
        // A symbol in a page starts where ESC $ put the print position.
        m_page->draw(ink, m_x, ink.height());
        m_x = 0;
        return;
    }
    const int x = ink.width() < width() ? justifiedLeft(ink.width()) : m_modes->leftMargin;
    PaperRoll* paper = m_printer->paper();
    paper->reserve(ink.height());
    // Anything past the print area is clipped.
    paper->draw(ink.copy(0, 0, qMin(ink.width(), m_printer->profile().widthDots - x), ink.height()), x,
                paper->position());
    m_feed->feed(ink.height());
}

void LineComposer::printSymbol(const QImage& symbol) {
    if (symbol.width() <= width())
        printBlock(symbol);
}

// A cut counts only at the start of a line. The blade sits above the head: without a feed of its
// own the cut falls that far above the last line, and what was printed below it starts the next
// receipt; GS V function B feeds up to the blade (and n more) first.
void LineComposer::cut(const QByteArray& frame) {
    if (!m_printer->canPrint() || m_page->isActive())
        return; // a cut in page mode would cut through the page being composed
    if (!m_items.isEmpty()) {
        m_printer->wireLog()->addCommand(WireLog::Direction::Received, QByteArray(),
                                         QStringLiteral("cut ignored: not at the start of a line"));
        return;
    }
    const bool gsV = frame.size() > 1 && u8(frame, 0) == 0x1D;
    const int m = gsV ? u8(frame, 2) : 1;
    const bool partial = (m == 1 || m == 49 || m == 66 || m == 98 || m == 104);
    const int blade = m_printer->profile().cutterDistanceDots;
    if (gsV && frame.size() > 3)
        m_feed->feed(blade + u8(frame, 3)); // function B: to the blade, then n more
    m_printer->paper()->cut(partial ? CutKind::Partial : CutKind::Full, blade);
    m_printer->notePrinting(0, 0, QString()); // the line before the cut left with its receipt
}

void LineComposer::clear() {
    m_items.clear();
    m_x = 0;
}

} // namespace virt
