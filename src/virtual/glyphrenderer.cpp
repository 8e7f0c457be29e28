#include "glyphrenderer.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cstring>

namespace virt {

namespace {

// Every printer of a size draws the same dots, so fonts and cells are kept once for the process
// (the GUI thread's); a cache that grows past its bound starts again. Cells with every mode may be
// 8 x 8 times a character's size, so that cache counts bytes.
constexpr qsizetype kMaxCachedCells = 8192;
constexpr qsizetype kMaxCachedCellBytes = 64 * 1024 * 1024;

quint64 cellKey(CellSize cell) {
    return (quint64(quint16(cell.width)) << 16) | quint16(cell.height);
}

template <typename Map> void keepBounded(Map& cache) {
    if (cache.size() >= kMaxCachedCells)
        cache.clear();
}

// The largest pixel size whose advance and height fit the cell.
QFont fitFont(CellSize cell) {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    int best = 6;
    for (int px = 6; px <= 64; ++px) {
        font.setPixelSize(px);
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(QLatin1Char('M')) > cell.width ||
            metrics.ascent() + metrics.descent() > cell.height + 3)
            break;
        best = px;
    }
    font.setPixelSize(best);
    return font;
}

QFont fittedFont(CellSize cell) {
    static QHash<quint64, QFont> fonts;
    const quint64 key = cellKey(cell);
    auto it = fonts.constFind(key);
    if (it == fonts.constEnd())
        it = fonts.insert(key, fitFont(cell));
    return *it;
}

// A rendered cell's key: the cell's size, the character and every mode that changes its dots.
quint64 styledKey(CellSize cell, QChar ch, const TextStyle& style) {
    quint64 key = (quint64(quint8(cell.width)) << 8) | quint8(cell.height);
    key = (key << 16) | ch.unicode();
    key = (key << 1) | (style.bold ? 1u : 0u);
    key = (key << 2) | quint64(qBound(0, style.underline, 3));
    key = (key << 3) | quint64(qBound(1, style.widthMul, 8) - 1);
    key = (key << 3) | quint64(qBound(1, style.heightMul, 8) - 1);
    key = (key << 1) | (style.reverse ? 1u : 0u);
    key = (key << 1) | (style.rotate90 ? 1u : 0u);
    return (key << 8) | quint64(qBound(0, style.rightSpacing, 255));
}

// Thermal printers emphasise by printing each dot twice, one dot apart.
QImage emboldened(const QImage& cell) {
    QImage out = cell.copy();
    QPainter painter(&out);
    painter.drawImage(1, 0, cell);
    return out;
}

// Each dot of the cell as a block of widthMul x heightMul dots, as the printer doubles them (a
// general scale is many times slower, and random data changes sizes often).
QImage magnified(const QImage& cell, int widthMul, int heightMul) {
    QImage out(cell.width() * widthMul, cell.height() * heightMul, cell.format());
    for (int y = 0; y < cell.height(); ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(cell.constScanLine(y));
        QRgb* first = reinterpret_cast<QRgb*>(out.scanLine(y * heightMul));
        for (int x = 0; x < cell.width(); ++x)
            std::fill_n(first + x * widthMul, widthMul, src[x]);
        for (int copy = 1; copy < heightMul; ++copy)
            std::memcpy(out.scanLine(y * heightMul + copy), first, size_t(out.width()) * sizeof(QRgb));
    }
    return out;
}

QImage inverted(const QImage& cell) {
    QImage out(cell.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < cell.height(); ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(cell.constScanLine(y));
        QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < cell.width(); ++x)
            dst[x] = qAlpha(src[x]) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    }
    return out;
}

} // namespace

GlyphRenderer::GlyphRenderer(const VirtualProfile& profile)
    : m_profile(profile), m_fontA(fittedFont(profile.fontA)), m_fontB(fittedFont(profile.fontB)) {}

QFont GlyphRenderer::fontFor(bool fontB) const {
    return fontB ? m_fontB : m_fontA;
}

QImage GlyphRenderer::glyph(QChar ch, bool fontB) {
    static QHash<quint64, QImage> glyphs;
    const CellSize size = cell(fontB);
    const quint64 key = (cellKey(size) << 16) | ch.unicode();
    auto it = glyphs.constFind(key);
    if (it != glyphs.constEnd())
        return *it;
    QImage image(size.width, size.height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (!ch.isSpace()) {
        const QFont font = fontFor(fontB);
        const QFontMetrics metrics(font);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const int advance = metrics.horizontalAdvance(ch);
        const int x = (size.width - advance) / 2;
        const int baseline = (size.height - metrics.ascent() - metrics.descent()) / 2 + metrics.ascent();
        painter.drawText(QPoint(x, baseline), QString(ch));
        painter.end();
        // Dots are either printed or not.
        for (int y = 0; y < image.height(); ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int i = 0; i < image.width(); ++i)
                line[i] = qAlpha(line[i]) >= 128 ? qRgba(0, 0, 0, 255) : qRgba(0, 0, 0, 0);
        }
    }
    keepBounded(glyphs);
    return *glyphs.insert(key, image);
}

QImage GlyphRenderer::render(QChar ch, const TextStyle& style) {
    static QHash<quint64, QImage> cells;
    static qsizetype cellBytes = 0;
    const quint64 key = styledKey(cell(style.fontB), ch, style);
    auto it = cells.constFind(key);
    if (it != cells.constEnd())
        return *it;
    const QImage drawn = draw(ch, style);
    if (cellBytes + drawn.sizeInBytes() > kMaxCachedCellBytes) {
        cells.clear();
        cellBytes = 0;
    }
    cellBytes += drawn.sizeInBytes();
    return *cells.insert(key, drawn);
}

QImage GlyphRenderer::draw(QChar ch, const TextStyle& style) {
    const CellSize size = cell(style.fontB);
    QImage out(size.width + qMax(0, style.rightSpacing), size.height, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    {
        QPainter painter(&out);
        const QImage base = glyph(ch, style.fontB);
        painter.drawImage(0, 0, style.bold ? emboldened(base) : base);
        if (style.underline > 0 && !style.rotate90) // turned characters are never underlined
            painter.fillRect(0, size.height - style.underline, size.width, style.underline, Qt::black);
    }
    if (style.rotate90)
        out = out.transformed(QTransform().rotate(90), Qt::FastTransformation);
    if (style.widthMul > 1 || style.heightMul > 1)
        out = magnified(out, style.widthMul, style.heightMul);
    if (style.reverse)
        out = inverted(out);
    return out;
}

} // namespace virt
