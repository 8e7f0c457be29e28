#include "barcoderenderer.h"
#include "qrmodel1.h"
#include "zintsymbol.h"

#include <QPainter>

namespace virt {

namespace {

// Every row of the symbol's module matrix as rowHeight dots, each module moduleWidth dots wide.
QImage matrixImage(const zint_symbol* symbol, int moduleWidth, int rowHeight) {
    const int width = symbol->width * moduleWidth;
    const int height = symbol->rows * rowHeight;
    if (width <= 0 || height <= 0)
        return QImage();
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (int row = 0; row < symbol->rows; ++row)
        for (int column = 0; column < symbol->width; ++column)
            if (moduleSet(symbol, row, column))
                painter.fillRect(column * moduleWidth, row * rowHeight, moduleWidth, rowHeight, Qt::black);
    return image;
}

} // namespace

QImage BarcodeRenderer::qr(const QByteArray& data, const QrSettings& settings, QString* error) {
    const int level = qBound(1, settings.errorLevel - 47, 4);
    if (settings.model == 49) {
        // libzint has no model 1 and a model 2 symbol would be a different code: our own encoder.
        const QrModel1::Symbol symbol = QrModel1::encode(data, QrModel1::Level(level - 1), error);
        return QrModel1::draw(symbol, qBound(1, settings.moduleSize, 16));
    }
    const int symbology = settings.model == 51 ? BARCODE_MICROQR : BARCODE_QRCODE;
    ZintSymbol symbol = encodeSymbol(symbology, data, error, level);
    if (!symbol)
        return QImage();
    const int dots = qBound(1, settings.moduleSize, 16);
    return matrixImage(symbol.get(), dots, dots);
}

QImage BarcodeRenderer::pdf417(const QByteArray& data, const Pdf417Settings& settings, QString* error) {
    const int symbology = settings.truncated ? BARCODE_PDF417COMP : BARCODE_PDF417;
    ZintSymbol symbol =
        encodeSymbol(symbology, data, error, settings.errorLevel, qBound(0, settings.columns, 30),
                     settings.rows >= 3 ? qBound(3, settings.rows, 90) : 0);
    if (!symbol)
        return QImage();
    const int module = qBound(2, settings.moduleWidth, 8);
    return matrixImage(symbol.get(), module, module * qBound(2, settings.rowHeight, 8));
}

QImage BarcodeRenderer::maxicode(const QByteArray& data, int mode, QString* error) {
    ZintSymbol symbol = encodeSymbol(BARCODE_MAXICODE, data, error, qBound(2, mode, 6));
    if (!symbol && mode != 4) {
        error->clear();
        symbol =
            encodeSymbol(BARCODE_MAXICODE, data, error, 4); // modes 2 and 3 need a structured carrier message
    }
    if (!symbol)
        return QImage();
    // Hexagons need the library's own drawing, made large and then brought to the symbol's
    // printed size: 28.14 x 26.91 mm at the head's 203 dpi.
    symbol->scale = 2.0f;
    if (ZBarcode_Buffer(symbol.get(), 0) >= ZINT_ERROR || !symbol->bitmap) {
        *error = QString::fromLatin1(symbol->errtxt);
        return QImage();
    }
    const int w = symbol->bitmap_width, h = symbol->bitmap_height;
    QImage grey(w, h, QImage::Format_Grayscale8);
    QRect ink;
    for (int y = 0; y < h; ++y) {
        uchar* line = grey.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const unsigned char* px = symbol->bitmap + 3 * (y * w + x);
            line[x] = uchar((px[0] + px[1] + px[2]) / 3);
            if (line[x] < 128)
                ink |= QRect(x, y, 1, 1);
        }
    }
    if (ink.isEmpty()) {
        *error = QStringLiteral("empty MaxiCode drawing");
        return QImage();
    }
    constexpr int kWidthDots = 225, kHeightDots = 215;
    const QImage sized =
        grey.copy(ink).scaled(kWidthDots, kHeightDots, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage image(kWidthDots, kHeightDots, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < kHeightDots; ++y) {
        const uchar* from = sized.constScanLine(y);
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kWidthDots; ++x)
            line[x] = from[x] < 128 ? qRgba(0, 0, 0, 255) : qRgba(0, 0, 0, 0);
    }
    return image;
}

} // namespace virt
