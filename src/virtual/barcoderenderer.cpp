#include "barcoderenderer.h"

#include <QPainter>
#include <memory>
#include <zint.h>

namespace virt {

namespace {

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};
using Symbol = std::unique_ptr<zint_symbol, SymbolDeleter>;

bool moduleSet(const zint_symbol* symbol, int row, int column) {
    return (symbol->encoded_data[row][column >> 3] >> (column & 7)) & 1;
}

bool allDigits(const QByteArray& data) {
    for (char c : data)
        if (c < '0' || c > '9')
            return false;
    return !data.isEmpty();
}

Symbol encode(int symbology, const QByteArray& data, QString* error, int option1 = -1, int option2 = 0,
              int option3 = 0) {
    Symbol symbol(ZBarcode_Create());
    if (!symbol) {
        *error = QStringLiteral("bar code library unavailable");
        return nullptr;
    }
    symbol->symbology = symbology;
    symbol->input_mode = DATA_MODE;
    symbol->option_1 = option1;
    symbol->option_2 = option2;
    symbol->option_3 = option3;
    symbol->show_hrt = 0;
    const int result = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                                       int(data.size()));
    if (result >= ZINT_ERROR) {
        *error = QString::fromLatin1(symbol->errtxt);
        return nullptr;
    }
    return symbol;
}

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

// UPC-A digits (number system, 5 manufacturer, 5 product, without check) zero-suppressed to the
// number system and six UPC-E digits; empty when the number has no UPC-E form.
QByteArray suppressZeros(const QByteArray& a) {
    const char ns = a[0];
    const QByteArray m = a.mid(1, 5), p = a.mid(6, 5);
    if (ns != '0' && ns != '1')
        return QByteArray();
    QByteArray e;
    if (m.endsWith("00") && m[2] <= '2' && p.startsWith("00"))
        e = m.left(2) + p.right(3) + m[2];
    else if (m.endsWith("00") && p.startsWith("000"))
        e = m.left(3) + p.right(2) + '3';
    else if (m.endsWith('0') && p.startsWith("0000"))
        e = m.left(4) + p.right(1) + '4';
    else if (p.startsWith("0000") && p[4] >= '5')
        e = m + p.right(1);
    else
        return QByteArray();
    return ns + e;
}

int symbologyFor(int m, QByteArray* data, QString* error) {
    const int type = m >= 65 ? m - 65 : m;
    const qsizetype n = data->size();
    auto digitsOnly = [&](std::initializer_list<qsizetype> lengths) {
        if (!allDigits(*data)) {
            *error = QStringLiteral("digits only");
            return false;
        }
        for (qsizetype length : lengths)
            if (n == length)
                return true;
        *error = QStringLiteral("wrong length %1").arg(n);
        return false;
    };
    switch (type) {
    case 0: // UPC-A
        return digitsOnly({11, 12}) ? (n == 11 ? BARCODE_UPCA : BARCODE_UPCA_CHK) : 0;
    case 1: // UPC-E, also given in its UPC-A form (11 digits, or 12 with the check digit)
        if (!digitsOnly({6, 7, 8, 11, 12}))
            return 0;
        if (n >= 11) {
            *data = suppressZeros(data->left(11));
            if (data->isEmpty()) {
                *error = QStringLiteral("UPC-A number has no UPC-E form");
                return 0;
            }
            return BARCODE_UPCE;
        }
        return n == 8 ? BARCODE_UPCE_CHK : BARCODE_UPCE;
    case 2: // EAN-13
        return digitsOnly({12, 13}) ? (n == 12 ? BARCODE_EANX : BARCODE_EANX_CHK) : 0;
    case 3: // EAN-8
        return digitsOnly({7, 8}) ? (n == 7 ? BARCODE_EANX : BARCODE_EANX_CHK) : 0;
    case 4: // Code 39: the start/stop asterisks are ours to add
        while (data->startsWith('*'))
            data->remove(0, 1);
        while (data->endsWith('*'))
            data->chop(1);
        return BARCODE_CODE39;
    case 5: // ITF: an odd last digit is dropped
        if (!allDigits(*data) || n < 2) {
            *error = QStringLiteral("ITF needs digits");
            return 0;
        }
        if (n % 2)
            data->chop(1);
        return BARCODE_C25INTER;
    case 6:
        return BARCODE_CODABAR;
    case 7:
        return BARCODE_CODE93;
    case 8: {
        *data = BarcodeRenderer::code128Content(*data, error);
        return data->isEmpty() ? 0 : BARCODE_CODE128;
    }
    default:
        *error = QStringLiteral("unsupported bar code type %1").arg(m);
        return 0;
    }
}

QImage scaledModules(const QImage& image, int dots) {
    return image.scaled(image.width() * dots, image.height() * dots, Qt::IgnoreAspectRatio,
                        Qt::FastTransformation);
}

} // namespace

QByteArray BarcodeRenderer::code128Content(const QByteArray& data, QString* error) {
    QByteArray out;
    char set = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '{' && i + 1 < data.size()) {
            const char code = data[++i];
            switch (code) {
            case 'A':
            case 'B':
            case 'C':
                set = code;
                continue;
            case 'S':
            case '1':
            case '2':
            case '3':
            case '4':
                continue; // shifts and function characters carry no data here
            case '{':
                out.append('{');
                continue;
            default:
                *error = QStringLiteral("Code 128 escape {%1 unknown").arg(QChar::fromLatin1(code));
                return QByteArray();
            }
        }
        if (set == 0) {
            *error = QStringLiteral("Code 128 data must start with a code set");
            return QByteArray();
        }
        if (set == 'C') {
            const int value = static_cast<quint8>(c);
            if (value > 99) {
                *error = QStringLiteral("Code 128 set C value %1 above 99").arg(value);
                return QByteArray();
            }
            out.append(char('0' + value / 10));
            out.append(char('0' + value % 10));
        } else {
            out.append(c);
        }
    }
    if (out.isEmpty() && error->isEmpty())
        *error = QStringLiteral("Code 128 without data");
    return out;
}

LinearBarcode BarcodeRenderer::linear(int m, const QByteArray& data, int moduleWidth, int height,
                                      QString* error) {
    LinearBarcode result;
    QByteArray content = data;
    const int symbology = symbologyFor(m, &content, error);
    if (!symbology)
        return result;
    Symbol symbol = encode(symbology, content, error);
    if (!symbol)
        return result;
    const int rowHeight = qMax(1, height / qMax(1, symbol->rows));
    // Linear symbols have one row; EAN/UPC add-ons are not drawn.
    result.bars = matrixImage(symbol.get(), qBound(1, moduleWidth, 6), rowHeight);
    result.hri = QString::fromUtf8(reinterpret_cast<const char*>(symbol->text));
    if (result.hri.isEmpty())
        result.hri = QString::fromLatin1(content);
    return result;
}

QImage BarcodeRenderer::qr(const QByteArray& data, const QrSettings& settings, QString* error) {
    const int level = qBound(1, settings.errorLevel - 47, 4);
    const int symbology = settings.model == 51 ? BARCODE_MICROQR : BARCODE_QRCODE;
    Symbol symbol = encode(symbology, data, error, level);
    if (!symbol)
        return QImage();
    const int dots = qBound(1, settings.moduleSize, 16);
    return matrixImage(symbol.get(), dots, dots);
}

QImage BarcodeRenderer::pdf417(const QByteArray& data, const Pdf417Settings& settings, QString* error) {
    const int symbology = settings.truncated ? BARCODE_PDF417COMP : BARCODE_PDF417;
    Symbol symbol = encode(symbology, data, error, settings.errorLevel, qBound(0, settings.columns, 30),
                           settings.rows >= 3 ? qBound(3, settings.rows, 90) : 0);
    if (!symbol)
        return QImage();
    const int module = qBound(2, settings.moduleWidth, 8);
    return matrixImage(symbol.get(), module, module * qBound(2, settings.rowHeight, 8));
}

QImage BarcodeRenderer::maxicode(const QByteArray& data, int mode, QString* error) {
    Symbol symbol = encode(BARCODE_MAXICODE, data, error, qBound(2, mode, 6));
    if (!symbol && mode != 4) {
        error->clear();
        symbol = encode(BARCODE_MAXICODE, data, error, 4); // modes 2 and 3 need a structured carrier message
    }
    if (!symbol)
        return QImage();
    // Hexagons need the library's own drawing; a MaxiCode symbol is about one inch square.
    symbol->scale = 1.0f;
    if (ZBarcode_Buffer(symbol.get(), 0) >= ZINT_ERROR || !symbol->bitmap) {
        *error = QString::fromLatin1(symbol->errtxt);
        return QImage();
    }
    const int w = symbol->bitmap_width, h = symbol->bitmap_height;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const unsigned char* px = symbol->bitmap + 3 * (y * w + x);
            const bool dark = (px[0] + px[1] + px[2]) < 3 * 128;
            line[x] = dark ? qRgba(0, 0, 0, 255) : qRgba(0, 0, 0, 0);
        }
    }
    const int target = 224;
    if (w > 0 && w < target)
        return scaledModules(image, qMax(1, target / w));
    return image;
}

} // namespace virt
