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

Q_SIGNALS:
    void grown();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // A piece of paper as drawn: a cut receipt or the one in the printer, and where it lies.
    struct Sheet {
        QRect rect;
        QImage image;
        bool cut = false;
        bool partialCut = false;
    };
    QList<Sheet> sheets() const;
    int contentHeight() const;
    static bool hasInk(const QImage& image);

    QPointer<PaperRoll> m_paper;
    double m_zoom = 1.0;
};

} // namespace virt
