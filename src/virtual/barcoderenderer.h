#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

namespace virt {

struct LinearBarcode {
    QImage bars; // black on transparent, module x moduleWidth dots wide, height dots high
    QString hri; // the human-readable text under or above the bars
};

struct QrSettings {
    int model = 50;      // 49 model 1 (versions 1 to 12), 50 model 2, 51 micro
    int moduleSize = 3;  // dots
    int errorLevel = 48; // 48 L .. 51 H
};

struct Pdf417Settings {
    int columns = 0;     // 0: auto
    int rows = 0;        // 0: auto
    int moduleWidth = 3; // dots
    int rowHeight = 3;   // times the module width
    int errorLevel = -1; // 0..8, -1: auto
    bool truncated = false;
};

// Draws bar codes and 2D symbols with libzint, one module = the dots the commands set, so a reader
// decodes exactly what the host sent. Each call returns a null image with a reason on bad data.
namespace BarcodeRenderer {
// m: GS k type in either form (0..6 or 65..79); data as received (Code 128 with its { escapes).
// Code 39, ITF and Codabar are drawn with thin and thick elements, the others n dots per module;
// the GS1 DataBar types have their own height in modules, the others `height` dots.
LinearBarcode linear(int m, const QByteArray& data, int moduleWidth, int height, QString* error);
// The thick element of the two-width codes at GS w n (1..6), in dots.
int thickElementDots(int moduleWidth);
// A GS1 element string as the printer takes it ("{1" FNC1 before an AI, "(AI)" for the HRI only)
// in libzint's bracketed form "[01]...[10]..."; empty with a reason when malformed.
QByteArray gs1Brackets(const QByteArray& data, QString* error);
QImage qr(const QByteArray& data, const QrSettings& settings, QString* error);
QImage pdf417(const QByteArray& data, const Pdf417Settings& settings, QString* error);
QImage maxicode(const QByteArray& data, int mode, QString* error);
// Code 128 data with ESC/POS { escapes as the symbol values the printer draws, in the code sets,
// shifts and function characters the host chose, from the start character to the check value;
// the data characters are appended to `hri`. Empty with a reason when the data is malformed.
QList<int> code128Values(const QByteArray& data, QString* hri, QString* error);
} // namespace BarcodeRenderer

} // namespace virt
