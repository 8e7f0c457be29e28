#include "typednumber.h"

#include <limits>

namespace opos {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

} // namespace

std::optional<qint32> parseTypedNumber(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    const QStringView s = QStringView(text).mid(begin, end - begin);

    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }

    // The magnitude is kept below 2^40 while reading; anything beyond the 32-bit range is refused.
    constexpr qint64 limit = qint64(std::numeric_limits<qint32>::max()) + 1;
    qint64 whole = 0;
    bool anyDigit = false;
    bool tooBig = false;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        anyDigit = true;
        whole = whole * 10 + (s[i].unicode() - '0');
        if (whole > limit) {
            tooBig = true;
            whole = limit + 1;
        }
    }

    // Fraction: first digit decides, except an exact half, which goes to the even neighbour.
    int firstFractionDigit = 0;
    bool restNonZero = false;
    if (i < s.size() && s[i] == u'.') {
        ++i;
        bool first = true;
        for (; i < s.size() && isDigit(s[i]); ++i) {
            anyDigit = true;
            const int digit = s[i].unicode() - '0';
            if (first)
                firstFractionDigit = digit;
            else if (digit != 0)
                restNonZero = true;
            first = false;
        }
    }
    if (!anyDigit || i != s.size() || tooBig)
        return std::nullopt;

    const bool roundUp =
        firstFractionDigit > 5 || (firstFractionDigit == 5 && (restNonZero || whole % 2 == 1));
    if (roundUp)
        ++whole;
    const qint64 value = negative ? -whole : whole;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(value);
}

} // namespace opos
