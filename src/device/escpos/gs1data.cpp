#include "device/escpos/gs1data.h"

#include "device/escpos/code128data.h"
#include "device/escpos/digits.h"

namespace device {

namespace {

constexpr char kGroupSeparator = 0x1D;

// The 82 characters GS1 allows in element strings.
bool isGs1Character(char c) {
    return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           QByteArrayView("!\"%&'()*+,-./:;<=>?_").contains(c);
}

// Digits of the AI itself for the AIs of the predefined-length table.
int aiDigits(const QByteArray& prefix) {
    const int p = prefix.toInt();
    if (p >= 31 && p <= 36)
        return 4;
    return p == 41 ? 3 : 2;
}

Gs1Items refused(const QString& reason) {
    return {reason, {}};
}

void appendText(QList<int>& items, const QByteArray& text) {
    for (char c : text)
        items << int(quint8(c));
}

Gs1Items elementString(const QByteArray& data) {
    if (data.size() < 2 || !isDigit(data[0]) || !isDigit(data[1]))
        return refused(QStringLiteral("GS1-128 data must begin with an application identifier."));
    Gs1Items result;
    result.items << code128Fnc1;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == kGroupSeparator && i > 0 && i + 1 < data.size() && data[i - 1] != kGroupSeparator)
            result.items << code128Fnc1;
        else if (isGs1Character(c))
            result.items << int(quint8(c));
        else
            return refused(QStringLiteral("Character %1 is not allowed in GS1-128 data.").arg(quint8(c)));
    }
    return result;
}

Gs1Items bracketedElements(const QByteArray& data) {
    Gs1Items result;
    result.items << code128Fnc1;
    qsizetype i = 0;
    while (i < data.size()) {
        const qsizetype close = data.indexOf(')', i);
        if (data[i] != '(' || close < 0)
            return refused(QStringLiteral("GS1-128 data must be (AI)value elements."));
        const QByteArray ai = data.mid(i + 1, close - i - 1);
        qsizetype next = data.indexOf('(', close);
        if (next < 0)
            next = data.size();
        const QByteArray value = data.mid(close + 1, next - close - 1);
        if (ai.size() < 2 || ai.size() > 4 || !allDigits(ai))
            return refused(QStringLiteral("GS1-128 application identifier (%1) must be 2 to 4 digits.")
                               .arg(QString::fromLatin1(ai)));
        if (value.isEmpty())
            return refused(QStringLiteral("GS1-128 element (%1) has no value.").arg(QString::fromLatin1(ai)));
        for (char c : value)
            if (!isGs1Character(c) || c == ')')
                return refused(QStringLiteral("Character %1 is not allowed in GS1-128 data.").arg(quint8(c)));
        const int fixed = gs1PredefinedLength(ai);
        if (fixed &&
            (ai.size() != aiDigits(ai.left(2)) || ai.size() + value.size() != fixed || !allDigits(value)))
            return refused(QStringLiteral("GS1-128 element (%1) must be %2 digits with its identifier.")
                               .arg(QString::fromLatin1(ai))
                               .arg(fixed));
        appendText(result.items, ai + value);
        if (!fixed && next < data.size())
            result.items << code128Fnc1;
        i = next;
    }
    return result;
}

} // namespace

// The virtual printer reads GS1 data with a table of its own (virtual/gs1brackets.cpp), on purpose:
// it models independent hardware, so it can catch a wrong length here instead of agreeing with it.
int gs1PredefinedLength(const QByteArray& ai) {
    if (ai.size() < 2 || !isDigit(ai[0]) || !isDigit(ai[1]))
        return 0;
    const int prefix = ai.left(2).toInt();
    if (prefix == 0)
        return 20;
    if (prefix >= 1 && prefix <= 3)
        return 16;
    if (prefix == 4)
        return 18;
    if (prefix >= 11 && prefix <= 19)
        return 8;
    if (prefix == 20)
        return 4;
    if (prefix >= 31 && prefix <= 36)
        return 10;
    return prefix == 41 ? 16 : 0;
}

Gs1Items gs1ElementString(const QByteArray& data) {
    if (data.isEmpty())
        return refused(QStringLiteral("GS1-128 data is empty."));
    return data.startsWith('(') ? bracketedElements(data) : elementString(data);
}

} // namespace device
