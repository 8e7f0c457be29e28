#include "paperdots.h"

#include <algorithm>
#include <array>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace virt {

namespace {

// Sixteen canvas bytes as two bytes of dots, first dot in the top bit. Below 128 is a dot.
inline void packSixteen(const uchar* in, uchar* out) {
#ifdef __SSE2__
    static const auto kReversed = [] {
        std::array<uchar, 256> table{};
        for (int i = 0; i < 256; ++i)
            for (int bit = 0; bit < 8; ++bit)
                if (i & (1 << bit))
                    table[i] |= uchar(0x80 >> bit);
        return table;
    }();
    // movemask takes each byte's top bit: set for paper, clear for a dot.
    const int paper = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)));
    out[0] = uchar(~kReversed[paper & 0xFF]);
    out[1] = uchar(~kReversed[(paper >> 8) & 0xFF]);
#else
    for (int half = 0; half < 2; ++half) {
        uchar byte = 0;
        for (int bit = 0; bit < 8; ++bit)
            byte |= uchar((in[half * 8 + bit] < 128) << (7 - bit));
        out[half] = byte;
    }
#endif
}

// A premultiplied pixel over the paper: its colour is already scaled by its alpha, and the paper
// shows through the rest.
inline uchar blend(QRgb pixel, uchar paper) {
    const int alpha = qAlpha(pixel);
    if (alpha == 0)
        return paper;
    if (alpha == 255)
        return uchar(qGray(pixel));
    return uchar(qGray(pixel) + paper * (255 - alpha) / 255);
}

} // namespace

QImage blankCanvas(int width, int height) {
    QImage canvas(width, height, QImage::Format_Grayscale8);
    canvas.fill(255);
    return canvas;
}

void inkOnto(QImage& canvas, const QImage& ink, int x, int y) {
    const QImage source = ink.format() == QImage::Format_ARGB32_Premultiplied
                              ? ink
                              : ink.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int left = std::max(0, x), right = std::min(canvas.width(), x + source.width());
    const int top = std::max(0, y), bottom = std::min(canvas.height(), y + source.height());
    for (int row = top; row < bottom; ++row) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(row - y)) - x;
        uchar* out = canvas.scanLine(row);
        int column = left;
#ifdef __SSE2__
        // Most of a line's strip is transparent: four pixels of no ink at a time are passed over.
        for (; column + 4 <= right; column += 4) {
            const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + column));
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(pixels, 24), _mm_setzero_si128())) == 0xFFFF)
                continue;
            // Solid black dots and the white of reverse printing, four at a time.
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(pixels, _mm_set1_epi32(int(0xFF000000)))) == 0xFFFF) {
                std::memset(out + column, 0, 4);
                continue;
            }
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(pixels, _mm_set1_epi32(-1))) == 0xFFFF) {
                std::memset(out + column, 255, 4);
                continue;
            }
            for (int at = column; at < column + 4; ++at)
                out[at] = blend(in[at], out[at]);
        }
#endif
        for (; column < right; ++column) {
            out[column] = blend(in[column], out[column]);
        }
    }
}

bool hasDots(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* row = grey.constScanLine(y);
        if (std::any_of(row, row + grey.width(), [](uchar level) { return level < 128; }))
            return true;
    }
    return false;
}

QImage oneBitADot(const QImage& canvas, int rows) {
    const int width = canvas.isNull() ? 1 : canvas.width();
    QImage dots(width, std::max(1, rows), QImage::Format_Mono);
    dots.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    dots.fill(0);
    uchar* out = dots.bits();
    for (int y = 0; y < rows; ++y, out += dots.bytesPerLine()) {
        const uchar* in = canvas.constScanLine(y);
        int x = 0;
        for (; x + 16 <= width; x += 16)
            packSixteen(in + x, out + (x >> 3));
        for (; x < width; ++x)
            out[x >> 3] |= uchar((in[x] < 128) << (7 - (x & 7)));
    }
    return dots;
}

} // namespace virt
