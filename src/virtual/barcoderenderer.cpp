#include "barcoderenderer.h"
#include "qrmodel1.h"

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
              int option3 = 0, int inputMode = DATA_MODE) {
    Symbol symbol(ZBarcode_Create());
    if (!symbol) {
        *error = QStringLiteral("bar code library unavailable");
        return nullptr;
    }
    symbol->symbology = symbology;
    symbol->input_mode = inputMode;
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

// How the printer draws one GS k type with libzint.
struct LinearPlan {
    int symbology = 0;
    int inputMode = DATA_MODE;
    QByteArray content;     // what libzint encodes
    bool twoWidths = false; // thin and thick elements at the printer's widths, not modules
    int heightModules = 0;  // fixed height in modules; 0: the GS h height in dots
    QString hri;            // empty: libzint's text
    QList<int> code128;     // Code 128 symbol values in the host's code sets, drawn without libzint
};

// Digits of a GS1 application identifier, found from its first two digits; 0 when unknown.
int aiLength(const QByteArray& prefix) {
    const int p = prefix.toInt();
    if (p <= 4 || (p >= 10 && p <= 22) || p == 30 || p == 37 || p >= 90)
        return 2;
    if ((p >= 23 && p <= 25) || (p >= 40 && p <= 42) || p == 71)
        return 3;
    if ((p >= 31 && p <= 36) || p == 39 || p == 43 || p == 70 || p == 72 || (p >= 80 && p <= 82))
        return 4;
    return 0;
}

// Data length of the AIs whose value has a predefined length (no FNC1 after them); 0: variable.
int predefinedLength(const QByteArray& ai) {
    const int p = ai.left(2).toInt();
    if (p == 0)
        return 18;
    if (p <= 3)
        return 14;
    if (p == 4)
        return 16;
    if (p >= 11 && p <= 19)
        return 6;
    if (p == 20)
        return 2;
    if (p >= 31 && p <= 36)
        return 6;
    if (p == 41)
        return 13;
    return 0;
}

bool isAiDelimiter(const QByteArray& data, qsizetype i) {
    return data[i] == '(' || (data[i] == '{' && i + 1 < data.size() && data[i + 1] == '1');
}

} // namespace

QByteArray BarcodeRenderer::gs1Brackets(const QByteArray& data, QString* error) {
    // "{1" is FNC1 and an AI follows; "(AI)" marks an AI for the HRI only.
    if (!data.startsWith("{1") && !data.startsWith('(')) {
        *error = QStringLiteral("GS1 data must start with FNC1 or an AI in parentheses");
        return QByteArray();
    }
    QByteArray out;
    bool aiNext = false;
    qsizetype i = 0;
    while (i < data.size()) {
        if (data.mid(i, 2) == "{1") {
            i += 2;
            aiNext = true;
            continue;
        }
        QByteArray ai;
        if (data[i] == '(') {
            const qsizetype close = data.indexOf(')', i);
            ai = close < 0 ? QByteArray() : data.mid(i + 1, close - i - 1);
            i = close + 1;
        } else if (aiNext) {
            ai = data.mid(i, aiLength(data.mid(i, 2)));
            i += ai.size();
        }
        if (ai.size() < 2 || ai.size() > 4 || !allDigits(ai)) {
            *error = QStringLiteral("GS1 application identifier missing or malformed at %1").arg(i);
            return QByteArray();
        }
        QByteArray value;
        const int fixed = predefinedLength(ai);
        if (fixed) {
            value = data.mid(i, fixed);
            aiNext = true; // the next AI follows without FNC1
        } else {
            qsizetype end = i;
            while (end < data.size() && !isAiDelimiter(data, end))
                ++end;
            value = data.mid(i, end - i);
            aiNext = false;
        }
        i += value.size();
        if (value.isEmpty() || (fixed && value.size() != fixed) || value.contains('{') ||
            value.contains('(') || value.contains(')') || value.contains('[') || value.contains(']')) {
            *error = QStringLiteral("GS1 value for AI %1 malformed").arg(QString::fromLatin1(ai));
            return QByteArray();
        }
        out += '[' + ai + ']' + value;
    }
    if (out.isEmpty())
        *error = QStringLiteral("GS1 data without an AI");
    return out;
}

namespace {

// The printer's HRI of a GS1 element string: the data with FNC1 removed, parentheses kept.
QString gs1Hri(const QByteArray& data) {
    QByteArray text = data;
    text.replace("{1", "");
    return QString::fromLatin1(text);
}

bool planGs1(int symbology, const QByteArray& data, LinearPlan* plan, QString* error) {
    plan->content = BarcodeRenderer::gs1Brackets(data, error);
    if (plan->content.isEmpty())
        return false;
    plan->symbology = symbology;
    // The printer does not judge AI contents; libzint still checks the characters.
    plan->inputMode = GS1_MODE | GS1NOCHECK_MODE;
    plan->hri = gs1Hri(data);
    return true;
}

// DataBar 75..77: 13 digits, the GTIN without its check digit; the printer adds AI 01 and the check.
bool planDataBar(int symbology, int heightModules, const QByteArray& data, LinearPlan* plan, QString* error) {
    if (data.size() != 13 || !allDigits(data)) {
        *error = QStringLiteral("GS1 DataBar needs 13 digits");
        return false;
    }
    plan->symbology = symbology;
    plan->content = data;
    plan->heightModules = heightModules;
    return true;
}

bool planFor(int m, const QByteArray& received, LinearPlan* plan, QString* error) {
    const int type = m >= 65 ? m - 65 : m;
    QByteArray* data = &plan->content;
    *data = received;
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
    auto use = [&](int symbology) {
        plan->symbology = symbology;
        return symbology != 0;
    };
    switch (type) {
    case 0: // UPC-A
        return digitsOnly({11, 12}) && use(n == 11 ? BARCODE_UPCA : BARCODE_UPCA_CHK);
    case 1: // UPC-E, also given in its UPC-A form (11 digits, or 12 with the check digit)
        if (!digitsOnly({6, 7, 8, 11, 12}))
            return false;
        if (n >= 11) {
            *data = suppressZeros(data->left(11));
            if (data->isEmpty()) {
                *error = QStringLiteral("UPC-A number has no UPC-E form");
                return false;
            }
            return use(BARCODE_UPCE);
        }
        return use(n == 8 ? BARCODE_UPCE_CHK : BARCODE_UPCE);
    case 2: // EAN-13
        return digitsOnly({12, 13}) && use(n == 12 ? BARCODE_EANX : BARCODE_EANX_CHK);
    case 3: // EAN-8
        return digitsOnly({7, 8}) && use(n == 7 ? BARCODE_EANX : BARCODE_EANX_CHK);
    case 4: // Code 39: the start/stop asterisks are ours to add
        while (data->startsWith('*'))
            data->remove(0, 1);
        while (data->endsWith('*'))
            data->chop(1);
        plan->twoWidths = true;
        return use(BARCODE_CODE39);
    case 5: // ITF: an odd last digit is dropped
        if (!allDigits(*data) || n < 2) {
            *error = QStringLiteral("ITF needs digits");
            return false;
        }
        if (n % 2)
            data->chop(1);
        plan->twoWidths = true;
        return use(BARCODE_C25INTER);
    case 6:
        plan->twoWidths = true;
        return use(BARCODE_CODABAR);
    case 7:
        return use(BARCODE_CODE93);
    case 8: // drawn by our own encoder: libzint would choose its own code sets
        plan->code128 = BarcodeRenderer::code128Values(received, &plan->hri, error);
        return !plan->code128.isEmpty();
    }
    if (m < 65) {
        *error = QStringLiteral("unsupported bar code type %1").arg(m);
        return false;
    }
    // Heights of the GS1 DataBar symbols in modules; Truncated is the omnidirectional symbol at 13.
    switch (m) {
    case 74:
        return planGs1(BARCODE_GS1_128, received, plan, error);
    case 75:
        return planDataBar(BARCODE_DBAR_OMN, 33, received, plan, error);
    case 76:
        return planDataBar(BARCODE_DBAR_OMN, 13, received, plan, error);
    case 77:
        if (!received.isEmpty() && received[0] != '0' && received[0] != '1') {
            *error = QStringLiteral("GS1 DataBar Limited must start with 0 or 1");
            return false;
        }
        return planDataBar(BARCODE_DBAR_LTD, 10, received, plan, error);
    case 78:
        plan->heightModules = 34;
        return planGs1(BARCODE_DBAR_EXP, received, plan, error);
    case 79: // Code 128 with the code sets libzint picks; every byte is data
        plan->hri = QString::fromLatin1(received);
        for (QChar& c : plan->hri)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                c = QLatin1Char(' '); // control characters have no HRI glyph
        return use(BARCODE_CODE128);
    default:
        *error = QStringLiteral("unsupported bar code type %1").arg(m);
        return false;
    }
}

// Bars and spaces, in modules, of the Code 128 symbol values 0..105.
constexpr const char* kCode128Patterns[106] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232"};
constexpr const char* kCode128Stop = "2331112";

namespace code128 {
constexpr int kFnc3 = 96, kFnc2 = 97, kShift = 98, kCodeC = 99, kCodeB = 100, kCodeA = 101, kFnc1 = 102;
constexpr int kStartA = 103;
} // namespace code128

// The value of one data byte in code set A, B or C; -1 when the set has no such character.
int code128Value(char set, quint8 byte) {
    switch (set) {
    case 'A':
        return byte < 0x20 ? byte + 64 : byte <= 0x5F ? byte - 32 : -1;
    case 'B':
        return byte >= 0x20 && byte <= 0x7F ? byte - 32 : -1;
    default:
        return byte <= 99 ? byte : -1;
    }
}

// The value of an escape "{x" in the current set; -1 when it is not allowed there.
int code128EscapeValue(char set, char code) {
    const bool letters = set == 'A' || set == 'B';
    switch (code) {
    case '1':
        return code128::kFnc1;
    case '2':
        return letters ? code128::kFnc2 : -1;
    case '3':
        return letters ? code128::kFnc3 : -1;
    case '4':
        return set == 'A' ? code128::kCodeA : set == 'B' ? code128::kCodeB : -1; // FNC4 shares the slot
    case 'S':
        return letters ? code128::kShift : -1;
    default:
        return -1;
    }
}

struct Run {
    bool dark = false;
    int length = 0; // modules, then dots
};

QList<Run> moduleRuns(const zint_symbol* symbol) {
    QList<Run> runs;
    for (int column = 0; column < symbol->width; ++column) {
        const bool dark = moduleSet(symbol, 0, column);
        if (runs.isEmpty() || runs.last().dark != dark)
            runs.append({dark, 0});
        ++runs.last().length;
    }
    return runs;
}

QList<Run> code128Runs(const QList<int>& values) {
    QList<Run> runs;
    auto add = [&runs](const char* pattern) {
        for (const char* p = pattern; *p; ++p)
            runs.append({runs.size() % 2 == 0, *p - '0'});
    };
    for (int value : values)
        add(kCode128Patterns[value]);
    add(kCode128Stop);
    return runs;
}

// libzint draws the two-width codes with a wide element of 2 (Code 39, Codabar) or 3 (ITF)
// modules; the printer draws a thin element as n dots and a thick one from its GS w table.
bool toPrinterWidths(QList<Run>* runs, int moduleWidth, QString* error) {
    int wide = 0;
    for (const Run& run : *runs)
        if (run.length > 1 && wide == 0)
            wide = run.length;
    for (Run& run : *runs) {
        if (run.length != 1 && run.length != wide) {
            *error = QStringLiteral("element of %1 modules in a two-width code").arg(run.length);
            return false;
        }
        run.length = run.length == 1 ? moduleWidth : BarcodeRenderer::thickElementDots(moduleWidth);
    }
    return true;
}

QImage drawRuns(const QList<Run>& runs, int height) {
    int width = 0;
    for (const Run& run : runs)
        width += run.length;
    if (width <= 0 || height <= 0)
        return QImage();
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    int x = 0;
    for (const Run& run : runs) {
        if (run.dark)
            painter.fillRect(x, 0, run.length, height, Qt::black);
        x += run.length;
    }
    return image;
}

} // namespace

QList<int> BarcodeRenderer::code128Values(const QByteArray& data, QString* hri, QString* error) {
    QList<int> values;
    char set = 0;
    bool shifted = false;
    auto refuse = [&](const QString& why) {
        *error = why;
        return QList<int>();
    };
    for (qsizetype i = 0; i < data.size(); ++i) {
        const quint8 byte = static_cast<quint8>(data[i]);
        if (byte == '{') {
            if (i + 1 >= data.size())
                return refuse(QStringLiteral("Code 128 data ends in an escape"));
            const char code = data[++i];
            if (code >= 'A' && code <= 'C') {
                if (shifted)
                    return refuse(QStringLiteral("Code 128 shift before a code set"));
                if (set == 0)
                    values.append(code128::kStartA + (code - 'A'));
                else if (code != set)
                    values.append(code == 'A'   ? code128::kCodeA
                                  : code == 'B' ? code128::kCodeB
                                                : code128::kCodeC);
                set = code;
                continue;
            }
            if (set == 0)
                return refuse(QStringLiteral("Code 128 data must start with a code set"));
            if (code != '{') {
                const int value = code128EscapeValue(set, code);
                if (value < 0 || shifted)
                    return refuse(QStringLiteral("Code 128 escape {%1 not allowed in set %2")
                                      .arg(QChar::fromLatin1(code), QChar::fromLatin1(set)));
                values.append(value);
                shifted = value == code128::kShift;
                continue;
            }
            // "{{" is the character { itself.
        }
        if (set == 0)
            return refuse(QStringLiteral("Code 128 data must start with a code set"));
        const char current = shifted ? (set == 'A' ? 'B' : 'A') : set;
        shifted = false;
        const int value = code128Value(current, byte);
        if (value < 0)
            return refuse(
                QStringLiteral("byte %1 not in Code 128 set %2").arg(byte).arg(QChar::fromLatin1(current)));
        values.append(value);
        if (current == 'C')
            *hri += QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
        else
            *hri += byte < 0x20 || byte == 0x7F ? QLatin1Char(' ') : QLatin1Char(char(byte));
    }
    if (shifted || values.size() < 2)
        return refuse(QStringLiteral("Code 128 without data"));
    int sum = values.first();
    for (qsizetype i = 1; i < values.size(); ++i)
        sum += int(i) * values[i];
    values.append(sum % 103);
    return values;
}

int BarcodeRenderer::thickElementDots(int moduleWidth) {
    // The GS w table of the printers: thin n dots, thick about 2.5 to 3 times that.
    static constexpr int kThick[] = {3, 5, 8, 10, 13, 16};
    return kThick[qBound(1, moduleWidth, 6) - 1];
}

LinearBarcode BarcodeRenderer::linear(int m, const QByteArray& data, int moduleWidth, int height,
                                      QString* error) {
    LinearBarcode result;
    LinearPlan plan;
    if (!planFor(m, data, &plan, error))
        return result;
    QList<Run> runs;
    QString text;
    if (!plan.code128.isEmpty()) {
        runs = code128Runs(plan.code128);
    } else {
        Symbol symbol = encode(plan.symbology, plan.content, error, -1, 0, 0, plan.inputMode);
        if (!symbol)
            return result;
        if (symbol->rows != 1) {
            *error = QStringLiteral("linear symbol of %1 rows").arg(symbol->rows);
            return result;
        }
        runs = moduleRuns(symbol.get());
        text = QString::fromUtf8(reinterpret_cast<const char*>(symbol->text));
    }
    // libzint ends Codabar with a space; a printer draws from the first bar to the last. GS1
    // DataBar keeps its light guards.
    while (!plan.heightModules && !runs.isEmpty() && !runs.last().dark)
        runs.removeLast();
    while (!plan.heightModules && !runs.isEmpty() && !runs.first().dark)
        runs.removeFirst();
    const int n = qBound(1, moduleWidth, 6);
    if (plan.twoWidths) {
        if (!toPrinterWidths(&runs, n, error))
            return result;
    } else {
        for (Run& run : runs)
            run.length *= n;
    }
    // EAN/UPC add-ons are not drawn.
    result.bars = drawRuns(runs, plan.heightModules ? plan.heightModules * n : height);
    result.hri = !plan.hri.isEmpty() ? plan.hri : !text.isEmpty() ? text : QString::fromLatin1(plan.content);
    return result;
}

QImage BarcodeRenderer::qr(const QByteArray& data, const QrSettings& settings, QString* error) {
    const int level = qBound(1, settings.errorLevel - 47, 4);
    if (settings.model == 49) {
        // libzint has no model 1 and a model 2 symbol would be a different code: our own encoder.
        const QrModel1::Symbol symbol = QrModel1::encode(data, QrModel1::Level(level - 1), error);
        return QrModel1::draw(symbol, qBound(1, settings.moduleSize, 16));
    }
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
