#include "glyphrenderer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTransform>

namespace virt {

namespace {

// The largest pixel size whose advance and height fit the cell.
QFont fittedFont(CellSize cell) {
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

// Thermal printers emphasise by printing each dot twice, one dot apart.
QImage emboldened(const QImage& cell) {
    QImage out = cell.copy();
    QPainter painter(&out);
    painter.drawImage(1, 0, cell);
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

const QImage& GlyphRenderer::glyph(QChar ch, bool fontB) {
    const quint32 key = (quint32(ch.unicode()) << 1) | (fontB ? 1u : 0u);
    auto it = m_cache.constFind(key);
    if (it != m_cache.constEnd())
        return *it;
    const CellSize size = cell(fontB);
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
    return *m_cache.insert(key, image);
}

QImage GlyphRenderer::render(QChar ch, const TextStyle& style) {
    const CellSize size = cell(style.fontB);
    QImage out(size.width + qMax(0, style.rightSpacing), size.height, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    {
        QPainter painter(&out);
        const QImage& base = glyph(ch, style.fontB);
        painter.drawImage(0, 0, style.bold ? emboldened(base) : base);
        if (style.underline > 0 && !style.rotate90) // turned characters are never underlined
            painter.fillRect(0, size.height - style.underline, size.width, style.underline, Qt::black);
    }
    if (style.rotate90)
        out = out.transformed(QTransform().rotate(90), Qt::FastTransformation);
    if (style.widthMul > 1 || style.heightMul > 1)
        out = out.scaled(out.width() * style.widthMul, out.height() * style.heightMul, Qt::IgnoreAspectRatio,
                         Qt::FastTransformation);
    if (style.reverse)
        out = inverted(out);
    return out;
}

} // namespace virt
