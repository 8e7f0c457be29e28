#pragma once

#include <QtGlobal>

class QWidget;

// Gives a control the application's font family at the point size its window was designed with.
void setPointSize(QWidget* widget, qreal pointSize, bool bold = false);

// Like setPointSize, but where the font family runs wider than the control's box at that size, the
// size steps down (not below 6 pt) until the whole caption shows: boxes keep their designed places.
void fitToWidth(QWidget* widget, qreal pointSize, bool bold = false);
