#pragma once

#include "glyphrenderer.h"
#include "paperbands.h"

#include <QImage>
#include <QList>
#include <QObject>

namespace virt {

enum class CutKind { Full, Partial, Torn };

// One printed text line, kept beside the dots so the paper can be checked as text.
struct PrintedLine {
    QString text;
    int top = 0;
    int height = 0;
    int left = 0;
    int width = 0;
    TextStyle style; // the first character's style
};

struct Receipt {
    int number = 0; // 1, 2, ... since the printer started
    QImage image;   // white paper, black dots, one pixel per dot
    QList<PrintedLine> lines;
    QList<PaperBand> bands; // which bytes made which rows, in the order they were printed
    CutKind cut = CutKind::Full;
};

// The roll: the receipt being printed grows downwards until a cut closes it. The roll keeps a
// bounded history of cut receipts; a receipt longer than kMaxReceiptDots is torn off by itself.
class PaperRoll : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxReceiptDots = 8192;
    static constexpr int kKeptHistoryDots = 200000;
    static constexpr int kKeptCanvasDots = 4096; // what the roll keeps drawn between receipts

    explicit PaperRoll(int widthDots, QObject* parent = nullptr);

    int width() const { return m_width; }
    // How much canvas the roll keeps drawn between receipts; more spares a long receipt's regrowth
    // at the cost of memory (a renderer that prints one job and goes wants the most).
    void setKeptCanvasDots(int dots) { m_keptCanvasDots = qBound(256, dots, kMaxReceiptDots); }
    // Where the next line starts, in dots from the top of the current receipt.
    int position() const { return m_position; }
    bool isBlank() const { return m_position == 0 && m_inkBottom == 0 && m_lines.isEmpty(); }

    // Puts dots on the current receipt (black pixels of ink; transparent or white leaves paper).
    void draw(const QImage& ink, int x, int y);
    // Makes room for `height` dots at the position, tearing off a receipt that would grow too long.
    void reserve(int height);
    void feed(int dots);
    // Pulls the paper back: the next line prints over what is there. Never above the receipt's top
    // edge, where the last cut left it.
    void feedBack(int dots);
    void addLine(const PrintedLine& line) { m_lines.append(line); }
    // The bytes behind what is drawn or fed from now on; null while nothing runs. Each band of
    // paper drawn or fed records them.
    void setSource(InkSource* source) { m_source = source; }
    // Takes the text line printed at `top` off the current receipt (the paper ran out under it);
    // false when the current receipt holds no such line.
    bool eraseLine(int top, int height, const QString& text);

    // Cuts the paper `aboveHead` dots above the print position, where the blade sits: what lies
    // between the blade and the head stays on the roll and starts the next receipt. The receipt is
    // kept at one bit a dot.
    Receipt cut(CutKind kind, int aboveHead = 0);
    QImage currentImage() const;
    const QList<PrintedLine>& currentLines() const { return m_lines; }
    const QList<PaperBand>& currentBands() const { return m_bands; }
    const QList<Receipt>& receipts() const { return m_receipts; }
    int receiptsCut() const { return m_cutCount; }
    void clear();

Q_SIGNALS:
    void changed();
    void receiptClosed(const virt::Receipt& receipt);

private:
    void ensureHeight(int height);
    void whiten(int from, int to);
    void noteBand(int top, int height);

    int m_width;
    QImage m_canvas;
    int m_position = 0;
    int m_inkBottom = 0;
    QList<PrintedLine> m_lines;
    QList<PaperBand> m_bands;
    InkSource* m_source = nullptr;
    int m_keptCanvasDots = kKeptCanvasDots;
    QList<Receipt> m_receipts;
    int m_cutCount = 0;
    qint64 m_keptDots = 0;
};

} // namespace virt
