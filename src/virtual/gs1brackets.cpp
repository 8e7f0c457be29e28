#include "barcoderenderer.h"

#include <algorithm>

namespace virt {

namespace {

// The printer reads GS1 application identifiers with tables of its own, kept apart from the host's
// encoder (device/escpos/gs1data.cpp) on purpose: it models independent hardware, so a wrong length
// on either side shows as a misread symbol instead of two sides agreeing on the same mistake.

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
        const bool digits = std::all_of(ai.cbegin(), ai.cend(), [](char c) { return c >= '0' && c <= '9'; });
        if (ai.size() < 2 || ai.size() > 4 || !digits) {
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

} // namespace virt
