#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where a window goes when it centres itself on load: half of what the screen leaves beside the
// window, truncated toward zero (so a window larger than the screen sticks out evenly, left and up).
QPoint centredTopLeft(const QRect& available, const QSize& outer);

// Moves a top-level window to the centred place on its screen's available area. The frame is
// not known before the window is first shown, so the place is corrected once more just before
// it appears.
void centreOnScreen(QWidget* window);

// Which side of the main window a working window prefers, so that it leaves the status list in view.
enum class Side { Left, Right };

// Where a window of `outer` size goes beside `anchor` (a frame rectangle): on the preferred side if
// it fits within `available`, else on the other side, else against the preferred screen edge; its
// top level with the anchor's, kept on the screen.
QPoint besideTopLeft(const QRect& available, const QRect& anchor, const QSize& outer, Side preferred);

// Moves a top-level window that has not been shown yet beside `anchor`, on the anchor's screen.
void placeBeside(QWidget* window, const QWidget* anchor, Side preferred);

// Where a window goes by the fifth-of-the-screen rule: a fifth of what the screen leaves beside
// the window, left and above, truncated toward zero.
QPoint fifthTopLeft(const QRect& available, const QSize& outer);

// Moves a top-level window to the fifth-of-the-screen place on its screen's available area,
// corrected once more when it first appears and its frame is known.
void placeAtFifth(QWidget* window);
