// Image -> printer dots: grey levels composited on white, crisp thresholding for black-and-white
// pictures, Floyd-Steinberg error diffusion for everything else. Works on scanlines directly; no
// QPainter, no per-pixel QImage calls in the loops.

#include "device/escpos/bitmapraster.h"

#include <QList>

#include <algorithm>
#include <array>
#include <vector>

namespace device {

namespace {

constexpr int kWhite = 255;
constexpr int kThreshold = 128;

// The luminance weights QImage uses for qGray().
int luminance(int r, int g, int b) {
    return (r * 11 + g * 16 + b * 5) >> 5;
}

int greyOfPremultiplied(QRgb p) {
    const int white = kWhite - qAlpha(p);
    return luminance(qRed(p) + white, qGreen(p) + white, qBlue(p) + white);
}

int greyOfStraight(QRgb p) {
    const int a = qAlpha(p);
    const int white = kWhite * (kWhite - a);
    return luminance((qRed(p) * a + white) / kWhite, (qGreen(p) * a + white) / kWhite,
                     (qBlue(p) * a + white) / kWhite);
}

void greyRowOf32Bit(const QRgb* in, uchar* out, int width, QImage::Format format) {
    switch (format) {
    case QImage::Format_RGB32:
        for (int x = 0; x < width; ++x)
            out[x] = uchar(luminance(qRed(in[x]), qGreen(in[x]), qBlue(in[x])));
        break;
    case QImage::Format_ARGB32:
        for (int x = 0; x < width; ++x)
            out[x] = uchar(greyOfStraight(in[x]));
        break;
    default: // premultiplied
        for (int x = 0; x < width; ++x)
            out[x] = uchar(greyOfPremultiplied(in[x]));
        break;
    }
}

// Palette images: the grey of each entry once; indices past the table count as transparent.
void greyFromPalette(const QImage& image, QImage& grey) {
    std::array<uchar, 256> levels;
    levels.fill(uchar(kWhite));
    const QList<QRgb> table = image.colorTable();
    for (qsizetype i = 0; i < std::min<qsizetype>(table.size(), 256); ++i)
        levels[size_t(i)] = uchar(greyOfStraight(table[i]));
    const bool lsbFirst = image.format() == QImage::Format_MonoLSB;
    const bool oneBit = image.depth() == 1;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* in = image.constScanLine(y);
        uchar* out = grey.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const int index = !oneBit    ? in[x]
                              : lsbFirst ? (in[x >> 3] >> (x & 7)) & 1
                                         : (in[x >> 3] >> (7 - (x & 7))) & 1;
            out[x] = levels[size_t(index)];
        }
    }
}

QImage greyOnWhite(const QImage& image) {
    if (image.format() == QImage::Format_Grayscale8)
        return image;
    QImage grey(image.size(), QImage::Format_Grayscale8);
    if (grey.isNull())
        return {};
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
        greyFromPalette(image, grey);
        return grey;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        for (int y = 0; y < image.height(); ++y)
            greyRowOf32Bit(reinterpret_cast<const QRgb*>(image.constScanLine(y)), grey.scanLine(y),
                           image.width(), image.format());
        return grey;
    default: {
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (argb.isNull())
            return {};
        for (int y = 0; y < argb.height(); ++y)
            greyRowOf32Bit(reinterpret_cast<const QRgb*>(argb.constScanLine(y)), grey.scanLine(y),
                           argb.width(), argb.format());
        return grey;
    }
    }
}

bool onlyBlackAndWhite(const QImage& grey) {
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* line = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            if (line[x] != 0 && line[x] != kWhite)
                return false;
        }
    }
    return true;
}

QImage blankDots(int width, int height) {
    QImage dots(width, height, QImage::Format_Mono);
    if (dots.isNull())
        return {};
    dots.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    dots.fill(0); // white, padding bits included
    return dots;
}

QImage thresholded(const QImage& grey) {
    QImage dots = blankDots(grey.width(), grey.height());
    if (dots.isNull())
        return {};
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* in = grey.constScanLine(y);
        uchar* out = dots.scanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            if (in[x] < kThreshold)
                out[x >> 3] |= uchar(0x80 >> (x & 7));
        }
    }
    return dots;
}

// Floyd-Steinberg with a serpentine walk (every other row right to left), which avoids the
// diagonal drift of one-way diffusion. Errors are kept in sixteenths, in integers.
QImage dithered(const QImage& grey) {
    const int width = grey.width();
    QImage dots = blankDots(width, grey.height());
    if (dots.isNull())
        return {};
    std::vector<int> current(size_t(width) + 2, 0); // index x + 1; one guard each side
    std::vector<int> next(size_t(width) + 2, 0);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* in = grey.constScanLine(y);
        uchar* out = dots.scanLine(y);
        const bool forward = (y & 1) == 0;
        const int step = forward ? 1 : -1;
        int x = forward ? 0 : width - 1;
        for (int n = 0; n < width; ++n, x += step) {
            const int i = x + 1;
            const int level = in[x] + ((current[size_t(i)] + 8) >> 4);
            int error = level;
            if (level < kThreshold) {
                out[x >> 3] |= uchar(0x80 >> (x & 7));
            } else {
                error = level - kWhite;
            }
            current[size_t(i + step)] += error * 7;
            next[size_t(i - step)] += error * 3;
            next[size_t(i)] += error * 5;
            next[size_t(i + step)] += error;
        }
        current.swap(next);
        std::fill(next.begin(), next.end(), 0);
    }
    return dots;
}

QImage scaledGrey(const QImage& grey, int width, int height, bool crisp) {
    QImage scaled = grey.scaled(width, height, Qt::IgnoreAspectRatio,
                                crisp ? Qt::FastTransformation : Qt::SmoothTransformation);
    if (scaled.format() != QImage::Format_Grayscale8)
        scaled = scaled.convertToFormat(QImage::Format_Grayscale8);
    return scaled;
}

} // namespace

QImage toPrinterDots(const QImage& image, int targetWidth) {
    if (image.isNull())
        return {};
    QImage grey = greyOnWhite(image);
    if (grey.isNull())
        return {};
    const bool blackAndWhite = onlyBlackAndWhite(grey);
    if (targetWidth > 0 && targetWidth != grey.width()) {
        const qint64 height =
            std::max<qint64>(1, qRound64(double(grey.height()) * targetWidth / grey.width()));
        if (qint64(targetWidth) * height > kMaxBitmapPixels)
            return {};
        grey = scaledGrey(grey, targetWidth, int(height), blackAndWhite);
        if (grey.isNull())
            return {};
    }
    return blackAndWhite ? thresholded(grey) : dithered(grey);
}

} // namespace device
