#pragma once

#include "device/profile/printerprofile.h"
#include "opos/oposconstants.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace device {

// What SetBitmap and PrintBitmap were given.
struct BitmapArguments {
    QString fileName;
    qint32 width = 0;     // dots, or PTR_BM_ASIS (one pixel per dot)
    qint32 alignment = 0; // PTR_BM_LEFT/CENTER/RIGHT, or a distance in dots from the left
};

// A bitmap file read, checked and turned into printer dots, or the reason it cannot be printed.
struct PreparedBitmap {
    qint32 code = opos::OPOS_SUCCESS;
    qint32 extended = 0;      // with OPOS_E_EXTENDED: OPOS_EPTR_TOOBIG or OPOS_EPTR_BADFORMAT
    QString reason;           // for the device log
    QImage dots;              // Format_Mono, one pixel per printer dot, colour index 1 = black = printed
    int leftDots = 0;         // left edge of the image within the print area, from the alignment
    int justification = 0;    // ESC a n that places the raster: 0 left, 1 centre, 2 right
    int rasterOffsetBits = 0; // white dots in front of the image inside each raster row

    // For a line start in standard mode: ESC a n, the raster in GS v 0 bands, ESC a 0. The printer
    // centres or right-aligns whole bytes, so the image sits inside its raster row such that it
    // lands exactly at leftDots. A distance from the left is white dots in the raster, not GS L:
    // GS L counts in the model's horizontal motion unit, which is not a dot on every printer.
    QByteArray standardModeBytes() const;
};

// Limits that keep every file from exhausting memory or paper.
inline constexpr qint64 kMaxBitmapFileBytes = 32 * 1024 * 1024;
inline constexpr qint64 kMaxBitmapPixels = 40'000'000;
inline constexpr int kMaxBitmapHeightDots = 8000; // about one metre of paper at 203 dpi

// Never fails loudly: every problem is a result code with a reason. Order of checks: arguments,
// then the file (existence, size), then the image header (pixel count, size on paper), then the
// decoded image.
PreparedBitmap prepareBitmap(const BitmapArguments& args, const PrinterProfile& profile);

// Any QImage to printer dots: alpha composited on white; only pure black and white pixels -> a
// bit-exact threshold (scaled crisp, nearest pixel); greys or colours -> scaled smoothly, then
// Floyd-Steinberg. targetWidth PTR_BM_ASIS (or <= 0) keeps the size; else the aspect is kept, the
// height rounded and at least 1. Null for a null image or a result over kMaxBitmapPixels.
QImage toPrinterDots(const QImage& image, int targetWidth);

// The same bitmap turned half a turn, for upside-down printing: the picture rotated 180 degrees and
// its place mirrored across the line (left becomes right, a distance is kept from the other edge).
PreparedBitmap halfTurned(const PreparedBitmap& bitmap, const PrinterProfile& profile);

} // namespace device
