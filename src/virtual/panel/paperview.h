#pragma once

#include "virtual/paperroll.h"

#include <QPointer>
#include <QWidget>

namespace virt {

// The paper roll as it comes out: cut receipts, cut marks between them, the receipt being printed
// at the bottom. One dot is `zoom` pixels.
class PaperView : public QWidget {
    Q_OBJECT
public:
    explicit PaperView(PaperRoll* paper, QWidget* parent = nullptr);

    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    QSize sizeHint() const override;
    // The receipt drawn at `y` (or the nearest one), one pixel per dot; the one still in the
    // printer is the paper printed so far, unless nothing is printed on it since the last cut.
    QImage receiptAt(int y) const;

    // The bytes behind the paper at `point` (a band of rows: a line, an image, a feed), or an
    // empty span where nothing the printer was sent lies under it.
    ByteSpan bytesAt(const QPoint& point) const;
    // Marks what `bytes` printed, on every receipt still shown; an empty span marks nothing.
    // Returns the marked area's bounds, to scroll to.
    QRect markPrintedBy(const ByteSpan& bytes);
    const ByteSpan& marked() const { return m_marked; }

Q_SIGNALS:
    void grown();
    // The user chose a band of paper, by mouse or with the arrow keys.
    void bytesChosen(const virt::ByteSpan& bytes);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A piece of paper as drawn: a cut receipt or the one in the printer, and where it lies.
    struct Sheet {
        QRect rect;
        QImage image;
        bool cut = false;
        bool partialCut = false;
        QList<PaperBand> bands;
    };
    QList<Sheet> sheets() const;
    int contentHeight() const;
    QRect bandRect(const Sheet& sheet, const PaperBand& band) const;
    // Moves the mark to the band before (-1) or after (+1) the marked one.
    void stepMark(int direction);

    QPointer<PaperRoll> m_paper;
    double m_zoom = 1.0;
    ByteSpan m_marked;
};

} // namespace virt
