#include "panelplacement.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace virt {

namespace {

qint64 area(const QRect& rect) {
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

qint64 covered(const QRect& frame, const QList<QRect>& rects) {
    qint64 sum = 0;
    for (const QRect& rect : rects)
        sum += area(frame.intersected(rect));
    return sum;
}

// Lower is better: what of keepClear is covered, then of the other windows.
using Cover = std::pair<qint64, qint64>;

Cover coverOf(const QRect& frame, const QList<QRect>& windows, const QList<QRect>& keepClear) {
    return {covered(frame, keepClear), covered(frame, windows)};
}

// Top-left corners worth trying: against the screen's edges and against every window's edges.
QList<QPoint> corners(const QRect& available, const QList<QRect>& windows, const QSize& size) {
    QList<int> xs{available.left(), available.right() + 1 - size.width()};
    QList<int> ys{available.top(), available.bottom() + 1 - size.height()};
    for (const QRect& window : windows) {
        xs << window.right() + 1 << window.left() - size.width();
        ys << window.bottom() + 1 << window.top() - size.height() << window.top();
    }
    QList<QPoint> points;
    for (int x : xs)
        for (int y : ys) {
            // A window larger than the screen keeps its top-left corner on it.
            const int left = std::max(available.left(), std::min(x, available.right() + 1 - size.width()));
            const int top = std::max(available.top(), std::min(y, available.bottom() + 1 - size.height()));
            points << QPoint(left, top);
        }
    return points;
}

// Of two places that cover as much, the right of the screen before the left, the top before the bottom.
using Cost = std::tuple<Cover, int, int>;

Cost costOf(const QRect& frame, const QList<QRect>& windows, const QList<QRect>& keepClear) {
    return {coverOf(frame, windows, keepClear), -frame.left(), frame.top()};
}

QRect bestFor(const QRect& available, const QList<QRect>& windows, const QList<QRect>& keepClear,
              const QSize& size) {
    QRect best;
    Cost bestCost;
    for (const QPoint& corner : corners(available, windows + keepClear, size)) {
        const QRect frame(corner, size);
        const Cost cost = costOf(frame, windows, keepClear);
        if (best.isNull() || cost < bestCost) {
            best = frame;
            bestCost = cost;
        }
    }
    return best;
}

// Sizes from preferred down to smallest in three steps each way, each bounded by the screen; larger
// first, and of two as large the taller, since paper is long.
QList<QSize> sizeGrid(const QSize& preferred, const QSize& smallest, const QRect& available) {
    constexpr int kSteps = 3;
    const QSize largest = preferred.expandedTo(smallest);
    const QSize range = largest - smallest;
    QList<QSize> sizes;
    for (int across = 0; across <= kSteps; ++across)
        for (int down = 0; down <= kSteps; ++down) {
            const QSize size = QSize(largest.width() - range.width() * across / kSteps,
                                     largest.height() - range.height() * down / kSteps)
                                   .boundedTo(available.size());
            if (!sizes.contains(size))
                sizes << size;
        }
    std::stable_sort(sizes.begin(), sizes.end(), [](const QSize& a, const QSize& b) {
        const qint64 areaA = qint64(a.width()) * a.height();
        const qint64 areaB = qint64(b.width()) * b.height();
        return areaA != areaB ? areaA > areaB : a.height() > b.height();
    });
    return sizes;
}

} // namespace

QRect choosePanelFrame(const QRect& available, const QList<QRect>& windows, const QList<QRect>& keepClear,
                       const QList<QSize>& sizes) {
    QRect least;
    for (const QSize& size : sizes) {
        const QRect frame = bestFor(available, windows, keepClear, size);
        const Cover cover = coverOf(frame, windows, keepClear);
        if (cover == Cover{0, 0})
            return frame;
        if (least.isNull() || cover < coverOf(least, windows, keepClear))
            least = frame;
    }
    return least;
}

QList<QSize> panelFrameSizes(const QSize& preferred, const QList<QSize>& smallest, const QRect& available) {
    QList<QSize> sizes;
    for (const QSize& least : smallest)
        for (const QSize& size : sizeGrid(preferred, least, available))
            if (!sizes.contains(size))
                sizes << size;
    return sizes;
}

QRect keptOnScreen(const QRect& frame, const QRect& available) {
    QRect kept(frame.topLeft(), frame.size().boundedTo(available.size()));
    kept.moveLeft(qBound(available.left(), kept.left(), available.right() + 1 - kept.width()));
    kept.moveTop(qBound(available.top(), kept.top(), available.bottom() + 1 - kept.height()));
    return kept;
}

} // namespace virt
