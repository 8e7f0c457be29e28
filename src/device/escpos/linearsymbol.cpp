#include "device/escpos/linearsymbol.h"

#include "device/escpos/code128data.h"
#include "device/escpos/digits.h"
#include "device/escpos/gs1data.h"
#include "device/profile/printerprofile.h"
#include "opos/oposconstants.h"

#include <optional>

namespace device {

namespace {

constexpr int kMaxPayload = 255; // GS k function B carries the length in one byte

// 1D codes carry ASCII only; anything above 0x7F would be a different symbol on paper.
std::optional<QByteArray> asciiOf(const QString& data) {
    QByteArray out;
    out.reserve(data.size());
    for (QChar c : data) {
        if (c.unicode() > 0x7F)
            return std::nullopt;
        out += char(c.unicode());
    }
    return out;
}

LinearSymbol refused(const QString& reason) {
    LinearSymbol symbol;
    symbol.error = reason;
    return symbol;
}

LinearSymbol symbolOf(int gsKType, const QByteArray& payload, BarWidth width) {
    if (payload.size() > kMaxPayload)
        return refused(QStringLiteral("The bar code data is %1 bytes; GS k carries at most %2.")
                           .arg(payload.size())
                           .arg(kMaxPayload));
    return {QString(), gsKType, payload, width};
}

// UPC-A, EAN-13 and EAN-8: the check digit is ours to add when left out (the printer would add
// the same), and must be right when given.
LinearSymbol withCheckDigit(const QString& name, int gsKType, const QByteArray& digits, int length,
                            int modules) {
    if (!allDigits(digits) || (digits.size() != length - 1 && digits.size() != length))
        return refused(QStringLiteral("%1 needs %2 or %3 digits.").arg(name).arg(length - 1).arg(length));
    const QByteArray body = digits.left(length - 1);
    const char check = gs1CheckDigit(body);
    if (digits.size() == length && digits.back() != check)
        return refused(QStringLiteral("%1 check digit should be %2.").arg(name, QChar(check)));
    return symbolOf(gsKType, body + check, {modules, 0});
}

// The UPC-A form without check digit, zero-suppressed to six digits; empty when it has none.
QByteArray zeroSuppressed(const QByteArray& a) {
    const QByteArray m = a.mid(1, 5), p = a.mid(6, 5);
    if (m.endsWith("00") && m[2] <= '2' && p.startsWith("00"))
        return m.left(2) + p.right(3) + m[2];
    if (m.endsWith("00") && p.startsWith("000"))
        return m.left(3) + p.right(2) + '3';
    if (m.endsWith('0') && p.startsWith("0000"))
        return m.left(4) + p.right(1) + '4';
    if (p.startsWith("0000") && p[4] >= '5')
        return m + p.right(1);
    return QByteArray();
}

// Every form goes out as the 11-digit UPC-A form, which every printer takes for GS k 66.
LinearSymbol upcE(const QByteArray& digits) {
    const qsizetype n = digits.size();
    if (!allDigits(digits) || (n != 6 && n != 7 && n != 8 && n != 11 && n != 12))
        return refused(QStringLiteral("UPC-E needs 6, 7, 8, 11 or 12 digits."));
    if (n > 6 && digits[0] != '0')
        return refused(QStringLiteral("UPC-E needs number system 0."));
    QByteArray upcA;
    if (n <= 8) {
        upcA = upcEToUpcA(n == 6 ? digits : digits.mid(1, 6));
    } else {
        upcA = digits.left(11);
        if (zeroSuppressed(upcA).isEmpty())
            return refused(QStringLiteral("This UPC-A number has no zero-suppressed UPC-E form."));
    }
    if ((n == 8 || n == 12) && digits.back() != gs1CheckDigit(upcA))
        return refused(QStringLiteral("UPC-E check digit should be %1.").arg(QChar(gs1CheckDigit(upcA))));
    return symbolOf(66, upcA, {51, 0});
}

bool isCode39Character(char c) {
    return isDigit(c) || (c >= 'A' && c <= 'Z') || QByteArrayView(" -.$/+%").contains(c);
}

// Each character: six thin and three thick elements, a thin gap between characters; the printer
// adds the '*' start and stop.
LinearSymbol code39(QByteArray data) {
    if (data.startsWith('*') || data.endsWith('*')) {
        if (data.size() < 3 || !data.startsWith('*') || !data.endsWith('*'))
            return refused(QStringLiteral("Code 39 '*' may only stand at both ends."));
        data = data.mid(1, data.size() - 2);
    }
    for (char c : data)
        if (!isCode39Character(c))
            return refused(QStringLiteral("Character %1 is not in Code 39.").arg(quint8(c)));
    const int characters = int(data.size()) + 2;
    return symbolOf(69, data, {characters * 6 + characters - 1, characters * 3});
}

bool isCodabarStartStop(char c) {
    return (c >= 'A' && c <= 'D') || (c >= 'a' && c <= 'd');
}

// 0-9 - $ have two thick elements of seven, the others three; a thin gap between characters.
LinearSymbol codabar(QByteArray data) {
    if (data.size() < 3 || !isCodabarStartStop(data.front()) || !isCodabarStartStop(data.back()))
        return refused(QStringLiteral("Codabar needs start and stop A to D around its data."));
    BarWidth width{int(data.size()) - 1, 0};
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        const bool edge = i == 0 || i == data.size() - 1;
        if (!edge && !isDigit(c) && !QByteArrayView("-$:/.+").contains(c))
            return refused(QStringLiteral("Character %1 is not allowed inside Codabar.").arg(quint8(c)));
        const int thick = isDigit(c) || c == '-' || c == '$' ? 2 : 3;
        width.thinUnits += 7 - thick;
        width.thickElements += thick;
    }
    // a-d and A-D are the same bars; upper case is read by every printer.
    data.front() = char(data.front() & ~0x20);
    data.back() = char(data.back() & ~0x20);
    return symbolOf(71, data, width);
}

// Digit pairs of six thin and four thick elements; start four thin; stop thick, thin, thin.
LinearSymbol interleaved2of5(const QByteArray& data) {
    if (!allDigits(data) || data.size() % 2)
        return refused(QStringLiteral("ITF needs an even number of digits."));
    const int pairs = int(data.size()) / 2;
    return symbolOf(70, data, {pairs * 6 + 6, pairs * 4 + 1});
}

// Nine modules a symbol: start, data (full-ASCII characters outside the 47 take two), two check
// characters, stop, and a one-module termination bar.
LinearSymbol code93(const QByteArray& data) {
    int symbols = 0;
    for (char c : data)
        symbols += isCode39Character(c) ? 1 : 2;
    return symbolOf(72, data, {9 * (symbols + 4) + 1, 0});
}

LinearSymbol code128(const Code128Text& text) {
    if (!text.error.isEmpty())
        return refused(text.error);
    return symbolOf(73, text.escaped, {text.modules(), 0});
}

LinearSymbol gs1128(const QByteArray& data) {
    const Gs1Items items = gs1ElementString(data);
    if (!items.error.isEmpty())
        return refused(items.error);
    return code128(code128Automatic(items.items));
}

LinearSymbol code128Parsed(const QByteArray& data) {
    QList<int> items;
    for (char c : data)
        items << int(quint8(c));
    return code128(code128Automatic(items));
}

} // namespace

int BarWidth::dots(int moduleWidth, const PrinterProfile& profile) const {
    return thinUnits * moduleWidth + thickElements * profile.thickBarDotsFor(moduleWidth);
}

char gs1CheckDigit(const QByteArray& digits) {
    int sum = 0;
    int weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i, weight = 4 - weight)
        sum += (digits[i] - '0') * weight;
    return char('0' + (10 - sum % 10) % 10);
}

QByteArray upcEToUpcA(const QByteArray& e) {
    if (e.size() != 6 || !allDigits(e))
        return QByteArray();
    const char last = e[5];
    if (last <= '2')
        return "0" + e.left(2) + last + "0000" + e.mid(2, 3);
    if (last == '3')
        return "0" + e.left(3) + "00000" + e.mid(3, 2);
    if (last == '4')
        return "0" + e.left(4) + "00000" + e[4];
    return "0" + e.left(5) + "0000" + last;
}

bool isLinearSymbology(qint32 symbology) {
    switch (symbology) {
    case opos::PTR_BCS_UPCA:
    case opos::PTR_BCS_UPCE:
    case opos::PTR_BCS_EAN8:
    case opos::PTR_BCS_EAN13:
    case opos::PTR_BCS_ITF:
    case opos::PTR_BCS_Codabar:
    case opos::PTR_BCS_Code39:
    case opos::PTR_BCS_Code93:
    case opos::PTR_BCS_Code128:
    case opos::PTR_BCS_EAN128:
    case opos::PTR_BCS_Code128_Parsed:
        return true;
    default:
        return false;
    }
}

LinearSymbol encodeLinear(qint32 symbology, const QString& data) {
    if (data.isEmpty())
        return refused(QStringLiteral("The bar code data is empty."));
    const std::optional<QByteArray> ascii = asciiOf(data);
    if (!ascii)
        return refused(QStringLiteral("One-dimensional bar codes take characters up to 0x7F only."));
    switch (symbology) {
    case opos::PTR_BCS_UPCA:
        return withCheckDigit(QStringLiteral("UPC-A"), 65, *ascii, 12, 95);
    case opos::PTR_BCS_UPCE:
        return upcE(*ascii);
    case opos::PTR_BCS_EAN8:
        return withCheckDigit(QStringLiteral("EAN-8"), 68, *ascii, 8, 67);
    case opos::PTR_BCS_EAN13:
        return withCheckDigit(QStringLiteral("EAN-13"), 67, *ascii, 13, 95);
    case opos::PTR_BCS_ITF:
        return interleaved2of5(*ascii);
    case opos::PTR_BCS_Codabar:
        return codabar(*ascii);
    case opos::PTR_BCS_Code39:
        return code39(*ascii);
    case opos::PTR_BCS_Code93:
        return code93(*ascii);
    case opos::PTR_BCS_Code128:
        return code128(code128FromArgument(*ascii));
    case opos::PTR_BCS_EAN128:
        return gs1128(*ascii);
    case opos::PTR_BCS_Code128_Parsed:
        return code128Parsed(*ascii);
    default:
        return refused(
            QStringLiteral("Symbology %1 is not a printable one-dimensional code.").arg(symbology));
    }
}

} // namespace device
