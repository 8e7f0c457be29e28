#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace device {

// A two-dimensional symbol as GS ( k functions: setup, then store and print.
struct MatrixSymbol {
    QString error; // empty when the symbol can be printed
    QByteArray setup;
    QByteArray symbol;
    int widthDots = 0;
    int heightDots = 0; // at most: a printer may compact the data into fewer rows
};

// PDF417 layout chosen here so its width is known: module width, columns, error level.
struct Pdf417Layout {
    int moduleDots = 0;
    int columns = 0;
    int rows = 0; // for the codewords counted by pdf417CodewordsAtMost
    int errorLevel = 0;
    int widthDots() const { return (69 + 17 * columns) * moduleDots; }
};

// width: 1..6 a module width (at least 2, the command's lower limit); larger, the total width
// in dots, the widest module 2..6 that fits. rowHeightDots: rounded to 2..8 modules.
MatrixSymbol buildPdf417(const QByteArray& data, int width, int rowHeightDots, int roomDots);

// Mode 4 (standard symbol, standard error correction), about one inch square at any width.
MatrixSymbol buildMaxiCode(const QByteArray& data, int width, int roomDots, int dpi);

int pdf417CodewordsAtMost(int dataBytes); // byte compaction: an upper bound of any encoder's count

} // namespace device
