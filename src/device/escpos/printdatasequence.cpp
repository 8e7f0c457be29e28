#include "device/escpos/printdatasequence.h"

#include <algorithm>

namespace device {

namespace {

// Bounds the number of an escape sequence: a feed of this many lines is already absurd, and
// larger numbers must not overflow or make the output explode.
constexpr int maxSequenceNumber = 99999;

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isAsciiLower(QChar c) {
    return c >= u'a' && c <= u'z';
}

bool isAsciiUpper(QChar c) {
    return c >= u'A' && c <= u'Z';
}

} // namespace

std::optional<PrintDataSequence> PrintDataSequence::parse(QStringView data, qsizetype& pos) {
    PrintDataSequence sequence;
    if (pos < data.size() && data[pos] == u'!') {
        sequence.negated = true;
        ++pos;
    }
    if (pos < data.size() && isAsciiDigit(data[pos])) {
        int number = 0;
        for (; pos < data.size() && isAsciiDigit(data[pos]); ++pos)
            number = std::min(number * 10 + (data[pos].unicode() - u'0'), maxSequenceNumber);
        sequence.number = number;
    }
    const qsizetype lowerStart = pos;
    while (pos < data.size() && isAsciiLower(data[pos]))
        ++pos;
    sequence.lower = data.mid(lowerStart, pos - lowerStart).toString();
    if (pos >= data.size() || !isAsciiUpper(data[pos]))
        return std::nullopt;
    sequence.upper = data[pos++];
    return sequence;
}

} // namespace device
