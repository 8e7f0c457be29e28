#pragma once

#include "pagemode.h"
#include "paperfeed.h"
#include "printermechanism.h"
#include "printmodes.h"

#include <QImage>
#include <QList>

namespace virt {

// The line buffer: characters and images collect on a line until LF, a feed or a wrap prints it,
// onto the paper in standard mode (within the print area, justified) or into the page in page
// mode. Images, bar codes and symbols print as blocks on a line of their own.
class LineComposer {
public:
    // Pieces on one line at most: ESC $ and ESC \ can overprint without end; a line that holds
    // that many prints, so the buffer stays bounded.
    static constexpr int kMaxItems = 1024;

    LineComposer(PrinterMechanism* printer, const PrintModes* modes, PageMode* page, PaperFeed* feed);

    bool isEmpty() const { return m_items.isEmpty(); }
    // Text waiting in the line buffer (printed by the next LF).
    QString pendingText() const;
    // How wide a line may be: the print area, or the page along the print direction.
    int width() const;

    // A character byte in the code page and style of the modes.
    void addCharacter(quint8 byte);
    // An image on the line (ESC *), in the style of the modes.
    void addImage(const QImage& ink);
    void tab();
    void setPosition(int x);   // ESC $; ignored outside the line
    void movePosition(int dx); // ESC \ .
    // Prints the line buffer, then feeds `feed` dots; -1 feeds one line (at least the line's height).
    void printLine(int feed);
    // Prints the line buffer when it holds anything, with a feed of one line.
    void finishLine();
    void feedLines(int lines);
    void reverseFeedLines(int lines);
    // An image, bar code or symbol on a line of its own, placed by the justification.
    void printBlock(const QImage& ink);
    // A symbol too wide for the print area prints nothing, as on a printer.
    void printSymbol(const QImage& symbol);
    // GS V, ESC i, ESC m.
    void cut(const QByteArray& frame);
    void clear();

private:
    struct Item {
        QImage ink;
        int x = 0;
        QChar ch; // null for images in the line
        TextStyle style;
    };

    void add(const QImage& ink, QChar ch, const TextStyle& style);
    int lineHeight() const;
    // Where content of this width starts on the paper: the left margin, moved by the
    // justification within the print area.
    int justifiedLeft(int contentWidth) const;
    void printOnPaper(QImage strip, int advance, int left, int contentWidth);

    PrinterMechanism* m_printer;
    const PrintModes* m_modes;
    PageMode* m_page;
    PaperFeed* m_feed;
    QList<Item> m_items;
    int m_x = 0;
};

} // namespace virt
