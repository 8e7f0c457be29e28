#include "barcoderenderer.h"
#include "code128.h"
#include "zintsymbol.h"

#include <QPainter>

namespace virt {

namespace {

bool allDigits(const QByteArray& data) {
    for (char c : data)
        if (c < '0' || c > '9')
            return false;
    return !data.isEmpty();
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
    for (int width : code128ElementWidths(values))
        runs.append({runs.size() % 2 == 0, width});
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
        ZintSymbol symbol = encodeSymbol(plan.symbology, plan.content, error, -1, 0, 0, plan.inputMode);
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

} // namespace virt
