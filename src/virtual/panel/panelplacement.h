#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace virt {

// Where the virtual printer's window goes so that the windows the user works in stay in view.
//
// It takes the first of `sizes` (largest first) that fits on `available` beside every one of
// `windows` (frames of the other windows, open or still to open) and of `keepClear`, preferring
// the right of the screen, then the top. Where none fits, it takes the size and place that cover
// the least of `keepClear` (the window whose buttons the user is pressing, the status list), then
// the least of the other windows; of two that cover as little, the earlier size.
QRect choosePanelFrame(const QRect& available, const QList<QRect>& windows, const QList<QRect>& keepClear,
                       const QList<QSize>& sizes);

// The frame sizes the window may take, largest first: its preferred size, then narrower paper and
// a shorter wire monitor, down to the first of `smallest` that still shows a receipt and the
// controls; then the sizes down to each further one (an arrangement for a narrower place).
QList<QSize> panelFrameSizes(const QSize& preferred, const QList<QSize>& smallest, const QRect& available);

// A remembered frame moved (and if need be shrunk) into `available`, so that a change of screens
// never leaves the window partly off them.
QRect keptOnScreen(const QRect& frame, const QRect& available);

} // namespace virt
