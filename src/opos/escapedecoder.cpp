#include "escapedecoder.h"

namespace opos {

namespace {

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool isIgnoredBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

// Value of an escape's two characters: blanks, tabs and line feeds are removed first, then the
// hexadecimal digits from the start are read up to the first non-digit.
int escapeValue(QChar first, QChar second) {
    int value = 0;
    for (QChar c : {first, second}) {
        if (isIgnoredBlank(c))
            continue;
        const int digit = hexDigit(c);
        if (digit < 0)
            break;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

// Equivalent to replacing the first escape and searching again from the start: everything before
// the first backslash is final, and a replacement can only start a new escape where it stands.
QString decodeEscapes(const QString& text) {
    QString work = text;
    QString out;
    out.reserve(work.size());
    qsizetype i = 0;
    const qsizetype n = work.size();
    while (i < n) {
        const QChar c = work.at(i);
        if (c != u'\\') {
            out.append(c);
            ++i;
            continue;
        }
        if (n - i < 3) {
            out.append(QStringView(work).mid(i));
            break;
        }
        const QChar produced(static_cast<char16_t>(escapeValue(work.at(i + 1), work.at(i + 2))));
        i += 2;
        work[i] = produced; // read again: a produced backslash starts a new escape
    }
    return out;
}

} // namespace opos
