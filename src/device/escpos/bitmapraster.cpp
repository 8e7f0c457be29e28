#include "device/escpos/bitmapraster.h"

#include "device/escpos/bitmapfile.h"
#include "device/escpos/escposencoder.h"

#include <algorithm>
#include <optional>

namespace device {

using namespace opos;

namespace {

bool isAlignmentKeyword(qint32 alignment) {
    return alignment == PTR_BM_LEFT || alignment == PTR_BM_CENTER || alignment == PTR_BM_RIGHT;
}

std::optional<BitmapRefusal> checkArguments(const BitmapArguments& args) {
    if (args.width <= 0 && args.width != PTR_BM_ASIS)
        return BitmapRefusal::illegal(
            QStringLiteral("width %1 is neither positive nor PTR_BM_ASIS").arg(args.width));
    if (args.alignment < 0 && !isAlignmentKeyword(args.alignment))
        return BitmapRefusal::illegal(
            QStringLiteral("alignment %1 is not a known value").arg(args.alignment));
    return std::nullopt;
}

// Never wider than the line, or the placement would start left of the paper.
int widestBitmap(const PrinterProfile& profile) {
    return profile.maxBitmapWidthDots > 0 ? std::min(profile.maxBitmapWidthDots, profile.lineWidthDots)
                                          : profile.lineWidthDots;
}

// Whether a source of this size, printed as asked, fits the paper and the limits. A distance that
// pushes the image past the right edge is TOOBIG like an image too wide for the line: both
// arguments are legal, the bitmap just does not fit.
std::optional<BitmapRefusal> checkPrintedSize(QSize source, const BitmapArguments& args,
                                              const PrinterProfile& profile) {
    if (qint64(source.width()) * source.height() > kMaxBitmapPixels)
        return BitmapRefusal::tooBig(QStringLiteral("%1 x %2 pixels, more than %3")
                                         .arg(source.width())
                                         .arg(source.height())
                                         .arg(kMaxBitmapPixels));
    if (source.width() <= 0 || source.height() <= 0)
        return BitmapRefusal::badFormat(QStringLiteral("the image has no pixels"));
    const bool asIs = args.width == PTR_BM_ASIS;
    const qint64 width = asIs ? source.width() : args.width;
    const qint64 height =
        asIs ? source.height()
             : std::max<qint64>(1, qRound64(double(source.height()) * width / source.width()));
    if (width > widestBitmap(profile))
        return BitmapRefusal::tooBig(
            QStringLiteral("%1 dots wide, the printer takes %2").arg(width).arg(widestBitmap(profile)));
    if (height > kMaxBitmapHeightDots)
        return BitmapRefusal::tooBig(
            QStringLiteral("%1 dots high, more than %2").arg(height).arg(kMaxBitmapHeightDots));
    if (args.alignment >= 0 && args.alignment + width > profile.lineWidthDots)
        return BitmapRefusal::tooBig(QStringLiteral("%1 dots from the left plus %2 wide pass the %3-dot line")
                                         .arg(args.alignment)
                                         .arg(width)
                                         .arg(profile.lineWidthDots));
    return std::nullopt;
}

// ESC a centres or right-aligns the raster's whole bytes; the offset inside the row moves the
// image onto leftDots exactly.
void place(PreparedBitmap& bitmap, qint32 alignment, int lineWidth) {
    const int width = bitmap.dots.width();
    const int rasterWidth = (width + 7) / 8 * 8;
    switch (alignment) {
    case PTR_BM_LEFT:
        bitmap.leftDots = 0;
        break;
    case PTR_BM_CENTER:
        bitmap.justification = 1;
        bitmap.leftDots = (lineWidth - width) / 2;
        bitmap.rasterOffsetBits = bitmap.leftDots - std::max(0, (lineWidth - rasterWidth) / 2);
        break;
    case PTR_BM_RIGHT:
        bitmap.justification = 2;
        bitmap.leftDots = lineWidth - width;
        bitmap.rasterOffsetBits = std::min(rasterWidth - width, bitmap.leftDots);
        break;
    default:
        bitmap.leftDots = alignment;
        bitmap.rasterOffsetBits = alignment;
        break;
    }
}

PreparedBitmap refused(const BitmapRefusal& refusal) {
    PreparedBitmap bitmap;
    bitmap.code = refusal.code;
    bitmap.extended = refusal.extended;
    bitmap.reason = refusal.reason;
    return bitmap;
}

} // namespace

PreparedBitmap halfTurned(const PreparedBitmap& bitmap, const PrinterProfile& profile) {
    if (bitmap.code != OPOS_SUCCESS || bitmap.dots.isNull())
        return bitmap;
    PreparedBitmap turned = bitmap;
    turned.dots = bitmap.dots.mirrored(true, true);
    turned.justification = 0;
    turned.rasterOffsetBits = 0;
    const int mirroredLeft = profile.lineWidthDots - bitmap.leftDots - bitmap.dots.width();
    const qint32 alignment = bitmap.justification == 1   ? PTR_BM_CENTER
                             : bitmap.justification == 2 ? PTR_BM_LEFT
                             : bitmap.leftDots == 0      ? PTR_BM_RIGHT
                                                         : std::max(0, mirroredLeft);
    place(turned, alignment, profile.lineWidthDots);
    return turned;
}

QByteArray PreparedBitmap::standardModeBytes() const {
    if (code != OPOS_SUCCESS || dots.isNull())
        return {};
    return EscPos::justify(justification) + EscPos::rasterBands(dots, rasterOffsetBits) + EscPos::justify(0);
}

PreparedBitmap prepareBitmap(const BitmapArguments& args, const PrinterProfile& profile) {
    if (const auto refusal = checkArguments(args))
        return refused(*refusal);
    BitmapFileReader file;
    if (const auto refusal = file.open(args.fileName))
        return refused(*refusal);
    // Judged on the header, before a single pixel is decoded.
    // What is wrong with the image says which file it is.
    const auto ofTheFile = [&](BitmapRefusal refusal) {
        refusal.reason = args.fileName + QStringLiteral(": ") + refusal.reason;
        return refused(refusal);
    };
    if (file.headerSize().isValid()) {
        if (const auto refusal = checkPrintedSize(file.headerSize(), args, profile))
            return ofTheFile(*refusal);
    }
    QImage image;
    if (const auto refusal = file.decode(image))
        return refused(*refusal);
    if (const auto refusal = checkPrintedSize(image.size(), args, profile))
        return ofTheFile(*refusal);

    PreparedBitmap bitmap;
    bitmap.dots = toPrinterDots(image, args.width);
    if (bitmap.dots.isNull())
        return refused(
            BitmapRefusal::tooBig(QStringLiteral("out of memory converting %1").arg(args.fileName)));
    place(bitmap, args.alignment, profile.lineWidthDots);
    return bitmap;
}

} // namespace device
