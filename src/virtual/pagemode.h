#pragma once

#include "pagebuffer.h"
#include "paperfeed.h"
#include "printermechanism.h"

namespace virt {

// Page mode (ESC L): lines and images are composed in the page buffer, from a print position that
// moves down the page, and go onto the paper all at once (FF, ESC FF). The area stays set from
// page to page until ESC @.
class PageMode {
public:
    static constexpr int kDefaultHeight = 1662;

    PageMode(PrinterMechanism* printer, PaperFeed* feed);

    bool isActive() const { return m_active; }
    // How wide a line may be: the area seen along the print direction.
    int width() const { return m_page.logicalSize().width(); }

    // ESC L, after the line buffer has printed: an empty page in `direction`.
    void enter(int direction);
    // FF, ESC FF: the page onto the paper; `keep` leaves it composed for another print.
    void print(bool keep);
    void leave() { m_active = false; }
    // CAN: what is composed goes; the mode stays.
    void discard() { m_page.clear(); }
    // ESC @: standard mode with the default area and direction.
    void reset();
    // The print buffer is emptied (DLE DC4 fn 8): the page goes and standard mode returns.
    void clearBuffer();

    // ESC W: the area in dots, within the paper; an empty area changes nothing.
    void setArea(int x, int y, int width, int height);
    // ESC T: turns the page being composed; a page begun later takes its direction at ESC L.
    void setDirection(int direction);
    // GS $, GS \ (page mode only).
    void setVertical(int y);
    void moveVertical(int dy);

    // Puts ink at `x` on the print position's line and moves the position down `advance` dots.
    void draw(const QImage& ink, int x, int advance);
    void advance(int dots) { m_y += dots; }

private:
    PrinterMechanism* m_printer;
    PaperFeed* m_feed;
    bool m_active = false;
    PageBuffer m_page;
    int m_y = 0; // the print position, down the page along the direction
};

} // namespace virt
