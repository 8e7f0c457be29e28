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
