#pragma once

#include <QList>
#include <QRect>
#include <QSize>

// Where the program's windows are, or will be once they open, on `available` with `frame` around
// each: an open window at its frame, any other at the place its display rule gives it at its
// designed size (the main window centred, the printer window beside it on the right, the cash
// drawer window on the left, the bar code window at a fifth of the screen). Loads no window.
QList<QRect> programWindowFrames(const QRect& available, const QSize& frame);

// The main window's status list while it is shown, in screen coordinates: its line numbers and
// text stay in view whatever else opens.
QList<QRect> statusListArea();
