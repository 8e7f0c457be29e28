#include "device/escpos/matrixsymbol.h"

#include "device/escpos/escposencoder.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace device {

namespace {

constexpr int kPdf417 = 48;
constexpr int kMaxiCode = 50;
constexpr int kMaxCodewords = 928; // every codeword of the symbol, error correction included
constexpr int kMaxRows = 90;
constexpr int kMaxColumns = 30;
constexpr int kMinRows = 3;
constexpr int kMaxiCodeCapacity = 93; // symbol characters of mode 4
constexpr double kMaxiCodeWidthMm = 28.14;
constexpr double kMaxiCodeHeightMm = 26.91;

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}

QByteArray storeAndPrint(int cn, const QByteArray& data) {
    return EscPos::symbolFunction(cn, 0x50, '0' + data) + EscPos::symbolFunction(cn, 0x51, "0");
}

MatrixSymbol refused(const QString& reason) {
    MatrixSymbol symbol;
    symbol.error = reason;
    return symbol;
}

// The recommended minimum error level for the amount of data.
int errorLevelFor(int dataCodewords) {
    if (dataCodewords <= 40)
        return 2;
    if (dataCodewords <= 160)
        return 3;
    return dataCodewords <= 320 ? 4 : 5;
}

// As few rows as the paper allows: the widest column count up to three rows' worth of data.
std::optional<Pdf417Layout> pdf417Layout(int dataBytes, int moduleDots, int roomDots) {
    const int dataCodewords = pdf417CodewordsAtMost(dataBytes);
    const int level = errorLevelFor(dataCodewords);
    const int errorCodewords = 2 << level;
    const int total = 1 + dataCodewords + errorCodewords;
    const int fitting = std::min(kMaxColumns, (roomDots / moduleDots - 69) / 17);
    const int preferred = std::min(fitting, (total + kMinRows - 1) / kMinRows);
    for (int columns = preferred; columns >= 1; --columns) {
        const int rows = std::max(kMinRows, (total + columns - 1) / columns);
        if (rows > kMaxRows)
            break;
        if (rows * columns <= kMaxCodewords)
            return Pdf417Layout{moduleDots, columns, rows, level};
    }
    return std::nullopt;
}

std::optional<Pdf417Layout> pdf417LayoutFor(int dataBytes, int width, int roomDots) {
    if (width <= 6)
        return pdf417Layout(dataBytes, std::max(2, width), roomDots);
    for (int module = 6; module >= 2; --module)
        if (auto layout = pdf417Layout(dataBytes, module, std::min(width, roomDots)))
            return layout;
    return std::nullopt;
}

// MaxiCode set A holds upper case, digits, space and common punctuation; anything else needs a
// shift, so counting it twice never accepts data the symbol cannot hold.
int maxiCodeCharacters(const QByteArray& data) {
    int count = 0;
    for (char c : data) {
        const int v = quint8(c);
        const bool setA =
            v == 0x0D || (v >= 0x1C && v <= 0x1E) || (v >= 0x20 && v <= 0x3A) || (v >= 'A' && v <= 'Z');
        count += setA ? 1 : 2;
    }
    return count;
}

} // namespace

int pdf417CodewordsAtMost(int dataBytes) {
    return 1 + 5 * (dataBytes / 6) + dataBytes % 6; // latch, five per six bytes, one per rest
}

MatrixSymbol buildPdf417(const QByteArray& data, int width, int rowHeightDots, int roomDots) {
    if (data.isEmpty())
        return refused(QStringLiteral("The PDF417 data is empty."));
    const std::optional<Pdf417Layout> layout = pdf417LayoutFor(int(data.size()), width, roomDots);
    if (!layout)
        return refused(QStringLiteral("The PDF417 data does not fit a symbol of this width."));
    const int rowModules = std::clamp(int(std::lround(double(rowHeightDots) / layout->moduleDots)), 2, 8);
    MatrixSymbol symbol;
    symbol.setup = EscPos::symbolFunction(kPdf417, 0x41, bytes({layout->columns})) +
                   EscPos::symbolFunction(kPdf417, 0x42, bytes({0})) +
                   EscPos::symbolFunction(kPdf417, 0x43, bytes({layout->moduleDots})) +
                   EscPos::symbolFunction(kPdf417, 0x44, bytes({rowModules})) +
                   EscPos::symbolFunction(kPdf417, 0x45, bytes({0x30, 0x30 + layout->errorLevel})) +
                   EscPos::symbolFunction(kPdf417, 0x46, bytes({0}));
    symbol.symbol = storeAndPrint(kPdf417, data);
    symbol.widthDots = layout->widthDots();
    symbol.heightDots = layout->rows * rowModules * layout->moduleDots;
    return symbol;
}

MatrixSymbol buildMaxiCode(const QByteArray& data, int width, int roomDots, int dpi) {
    if (data.isEmpty())
        return refused(QStringLiteral("The MaxiCode data is empty."));
    if (maxiCodeCharacters(data) > kMaxiCodeCapacity)
        return refused(QStringLiteral("The data is more than a MaxiCode symbol holds."));
    const auto dots = [dpi](double mm) { return int(std::lround(mm * dpi / 25.4)); };
    const int widthDots = dots(kMaxiCodeWidthMm);
    if (widthDots > roomDots || (width > 6 && widthDots > width))
        return refused(QStringLiteral("A MaxiCode symbol is %1 dots wide and does not fit.").arg(widthDots));
    MatrixSymbol symbol;
    symbol.setup = EscPos::symbolFunction(kMaxiCode, 0x41, bytes({0x34}));
    symbol.symbol = storeAndPrint(kMaxiCode, data);
    symbol.widthDots = widthDots;
    symbol.heightDots = dots(kMaxiCodeHeightMm);
    return symbol;
}

} // namespace device
