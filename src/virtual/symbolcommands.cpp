#include "symbolcommands.h"

#include "barcoderenderer.h"
#include "framebytes.h"
#include "glyphrenderer.h"

#include <QPainter>

namespace virt {

namespace {

constexpr int kPdf417 = 48, kQr = 49, kMaxiCode = 50;

// The GS ( k settings that take a value within a range; the mode takes the value less `offset`.
struct RangedSetting {
    int cn;
    int fn;
    int low;
    int high;
    int offset;
    int& (*mode)(PrintModes&);
};
constexpr RangedSetting kRangedSettings[] = {
    {kQr, 65, 49, 51, 0, [](PrintModes& m) -> int& { return m.qr.model; }},
    {kQr, 67, 1, 16, 0, [](PrintModes& m) -> int& { return m.qr.moduleSize; }},
    {kQr, 69, 48, 51, 0, [](PrintModes& m) -> int& { return m.qr.errorLevel; }},
    {kPdf417, 65, 0, 30, 0, [](PrintModes& m) -> int& { return m.pdf417.columns; }},
    {kPdf417, 66, 0, 0, 0, [](PrintModes& m) -> int& { return m.pdf417.rows; }},
    {kPdf417, 66, 3, 90, 0, [](PrintModes& m) -> int& { return m.pdf417.rows; }},
    {kPdf417, 67, 2, 8, 0, [](PrintModes& m) -> int& { return m.pdf417.moduleWidth; }},
    {kPdf417, 68, 2, 8, 0, [](PrintModes& m) -> int& { return m.pdf417.rowHeight; }},
    {kMaxiCode, 65, 50, 54, 48, [](PrintModes& m) -> int& { return m.maxicodeMode; }},
};

} // namespace

QImage SymbolCommands::hriText(const QString& text) const {
    TextStyle style;
    style.fontB = m_modes->hriFontB;
    GlyphRenderer& glyphs = m_printer->glyphs();
    const CellSize cell = glyphs.cell(style.fontB);
    QImage hri(cell.width * text.size(), cell.height, QImage::Format_ARGB32_Premultiplied);
    hri.fill(Qt::transparent);
    QPainter painter(&hri);
    for (int i = 0; i < text.size(); ++i)
        painter.drawImage(i * cell.width, 0, glyphs.render(text.at(i), style));
    painter.end();
    return hri;
}

SymbolImage SymbolCommands::barcode(const QByteArray& frame) const {
    const int m = u8(frame, 2);
    const QByteArray data = m <= 6 ? frame.mid(3, frame.size() - 4) : frame.mid(4);
    SymbolImage symbol{QImage(), QStringLiteral("bar code"), QString()};
    const LinearBarcode code =
        BarcodeRenderer::linear(m, data, m_modes->moduleWidth, m_modes->barHeight, &symbol.error);
    if (code.bars.isNull())
        return symbol;
    const QImage hri = m_modes->hriPosition != 0 && !code.hri.isEmpty() ? hriText(code.hri) : QImage();
    const bool above = m_modes->hriPosition & 1, below = m_modes->hriPosition & 2;
    const int gap = 2;
    const int width = qMax(code.bars.width(), hri.width());
    const int height = code.bars.height() + (hri.isNull() ? 0 : (above + below) * (hri.height() + gap));
    symbol.image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    symbol.image.fill(Qt::transparent);
    QPainter painter(&symbol.image);
    int y = 0;
    if (above && !hri.isNull()) {
        painter.drawImage((width - hri.width()) / 2, 0, hri);
        y = hri.height() + gap;
    }
    painter.drawImage((width - code.bars.width()) / 2, y, code.bars);
    if (below && !hri.isNull())
        painter.drawImage((width - hri.width()) / 2, y + code.bars.height() + gap, hri);
    painter.end();
    return symbol;
}

std::optional<SymbolImage> SymbolCommands::run2D(const QByteArray& frame) {
    // 1D 28 6B pL pH cn fn parameters...
    const int cn = u8(frame, 5), fn = u8(frame, 6);
    if (cn < kPdf417 || cn > kMaxiCode)
        return std::nullopt;
    if (fn == 80)
        m_data[cn - kPdf417] = frame.mid(8);
    else if (fn == 81)
        return draw(cn);
    else
        setParameter(cn, fn, u8(frame, 7), u8(frame, 8));
    return std::nullopt;
}

void SymbolCommands::setParameter(int cn, int fn, int a, int b) {
    for (const RangedSetting& setting : kRangedSettings)
        if (setting.cn == cn && setting.fn == fn && a >= setting.low && a <= setting.high)
            setting.mode(*m_modes) = a - setting.offset;
    if (cn != kPdf417)
        return;
    if (fn == 69 && a == 48 && b >= 48 && b <= 56)
        m_modes->pdf417.errorLevel = b - 48;
    else if (fn == 69 && a == 49)
        m_modes->pdf417.errorLevel = -1; // a ratio: let the library choose
    else if (fn == 70)
        m_modes->pdf417.truncated = a & 1;
}

SymbolImage SymbolCommands::draw(int cn) const {
    const QByteArray& data = m_data[cn - kPdf417];
    SymbolImage symbol;
    if (cn == kQr) {
        symbol.what = QStringLiteral("QR");
        symbol.image = BarcodeRenderer::qr(data, m_modes->qr, &symbol.error);
    } else if (cn == kPdf417) {
        symbol.what = QStringLiteral("PDF417");
        symbol.image = BarcodeRenderer::pdf417(data, m_modes->pdf417, &symbol.error);
    } else {
        symbol.what = QStringLiteral("MaxiCode");
        symbol.image = BarcodeRenderer::maxicode(data, m_modes->maxicodeMode, &symbol.error);
    }
    return symbol;
}

void SymbolCommands::clear() {
    for (QByteArray& data : m_data)
        data.clear();
}

} // namespace virt
