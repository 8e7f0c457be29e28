#pragma once

#include <QImage>

namespace virt {

// The roll's canvas is one byte a dot (Format_Grayscale8): paper is white, dots are black, and a
// receipt of thousands of rows is blanked, grown and cut at a quarter of the memory traffic of a
// colour canvas.
QImage blankCanvas(int width, int height);

// Puts ink on the canvas at (x, y), as painting it would: opaque pixels replace the paper (black
// dots, or white where reverse printing leaves paper), transparent ones leave it, and what lies
// off the canvas is dropped.
void inkOnto(QImage& canvas, const QImage& ink, int x, int y);

// True when any pixel of the image is dark enough to be a dot.
bool hasDots(const QImage& image);

// The first `rows` of the canvas at one bit a dot (Format_Mono, white 0, black 1).
QImage oneBitADot(const QImage& canvas, int rows);

} // namespace virt
