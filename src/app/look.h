#pragma once

#include <QtGlobal>

class QWidget;

// Gives a control the application's font family at the point size its window was designed with.
void setPointSize(QWidget* widget, qreal pointSize, bool bold = false);
