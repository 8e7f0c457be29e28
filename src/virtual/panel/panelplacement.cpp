#include "panelplacement.h"

#include <algorithm>
#include <tuple>

namespace virt {

namespace {

qint64 area(const QRect& rect) {
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

qint64 covered(const QRect& frame, const QRect& window) {
    return area(frame.intersected(window));
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

// Lower is better: what of keepClear is covered, then of the other windows, then the right of the
// screen before the left and the top before the bottom.
using Cost = std::tuple<qint64, qint64, int, int>;

Cost costOf(const QRect& frame, const QList<QRect>& windows, const QRect& keepClear) {
    qint64 others = 0;
    for (const QRect& window : windows)
        others += covered(frame, window);
    return {covered(frame, keepClear), others, -frame.left(), frame.top()};
}

QRect bestFor(const QRect& available, const QList<QRect>& windows, const QRect& keepClear,
              const QSize& size) {
    QRect best;
    Cost bestCost;
    for (const QPoint& corner : corners(available, windows + QList<QRect>{keepClear}, size)) {
        const QRect frame(corner, size);
        const Cost cost = costOf(frame, windows, keepClear);
        if (best.isNull() || cost < bestCost) {
            best = frame;
            bestCost = cost;
        }
    }
    return best;
}

bool coversNothing(const QRect& frame, const QList<QRect>& windows, const QRect& keepClear) {
    const Cost cost = costOf(frame, windows, keepClear);
    return std::get<0>(cost) == 0 && std::get<1>(cost) == 0;
}

} // namespace

QRect choosePanelFrame(const QRect& available, const QList<QRect>& windows, const QRect& keepClear,
                       const QList<QSize>& sizes) {
    if (sizes.isEmpty())
        return {};
    for (const QSize& size : sizes) {
        const QRect frame = bestFor(available, windows, keepClear, size);
        if (coversNothing(frame, windows, keepClear))
            return frame;
    }
    return bestFor(available, windows, keepClear, sizes.last());
}

QList<QSize> panelFrameSizes(const QSize& preferred, const QSize& smallest, const QRect& available) {
    // Steps of about a sixth of the preferred size, each bounded by the screen.
    QList<QSize> sizes;
    const int widthStep = std::max(1, (preferred.width() - smallest.width()) / 3);
    const int heightStep = std::max(1, (preferred.height() - smallest.height()) / 3);
    for (int width = preferred.width(); width >= smallest.width(); width -= widthStep)
        for (int height = preferred.height(); height >= smallest.height(); height -= heightStep) {
            const QSize size(std::min(width, available.width()), std::min(height, available.height()));
            if (!sizes.contains(size))
                sizes << size;
        }
    // Larger first; of two as large, the taller, since paper is long.
    std::stable_sort(sizes.begin(), sizes.end(), [](const QSize& a, const QSize& b) {
        const qint64 areaA = qint64(a.width()) * a.height();
        const qint64 areaB = qint64(b.width()) * b.height();
        return areaA != areaB ? areaA > areaB : a.height() > b.height();
    });
    return sizes;
}

QRect keptOnScreen(const QRect& frame, const QRect& available) {
    QRect kept(frame.topLeft(), frame.size().boundedTo(available.size()));
    kept.moveLeft(qBound(available.left(), kept.left(), available.right() + 1 - kept.width()));
    kept.moveTop(qBound(available.top(), kept.top(), available.bottom() + 1 - kept.height()));
    return kept;
}

} // namespace virt
