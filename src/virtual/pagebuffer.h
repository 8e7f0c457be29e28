#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

namespace virt {

// Page mode: output is composed in a print area and printed all at once. Positions are logical,
// along the print direction (ESC T): direction 0 runs left to right from the upper left,
// 1 bottom to top from the lower left, 2 right to left from the lower right, 3 top to bottom
// from the upper right. Drawing turns the ink with the direction, so text comes out rotated.
class PageBuffer {
public:
    static constexpr int kMaxHeight = 8192;

    void setArea(const QRect& area); // physical dots; keeps what is drawn when the size stays
    QRect area() const { return m_area; }
    void setDirection(int direction) { m_direction = direction & 3; }
    int direction() const { return m_direction; }
    // Size of the area seen along the print direction.
    QSize logicalSize() const;

    void draw(const QImage& ink, QPoint logicalTopLeft);
    void clear();
    bool isEmpty() const { return m_empty; }
    // The area as it comes out of the printer (width x height in dots).
    QImage image() const;

private:
    void ensureImage();

    QRect m_area;
    int m_direction = 0;
    QImage m_page;
    bool m_empty = true;
};

} // namespace virt
