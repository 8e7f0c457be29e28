#include "device/escpos/code128data.h"

namespace device {

namespace {

constexpr char kEscape = '{';

bool inSet(char set, int value) {
    switch (set) {
    case 'A':
        return value >= 0x00 && value <= 0x5F;
    case 'B':
        return value >= 0x20 && value <= 0x7F;
    default:
        return value >= 0 && value <= 99;
    }
}

char shifted(char set) {
    return set == 'A' ? 'B' : 'A';
}

Code128Text refused(const QString& reason) {
    Code128Text text;
    text.error = reason;
    return text;
}

// Checks the printer's own syntax symbol by symbol, as the printer will read it. A brace is
// always an escape: it lies outside sets A and C, and in set B a literal one is written "{{".
Code128Text passThrough(const QByteArray& data) {
    if (data.size() < 2 || data[0] != kEscape || data[1] < 'A' || data[1] > 'C')
        return refused(QStringLiteral("Code 128 data in code-set syntax must begin with {A, {B or {C."));
    Code128Text text;
    text.escaped = data;
    char set = 'B';
    bool shiftPending = false;
    int dataCharacters = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char current = shiftPending ? shifted(set) : set;
        ++text.symbols;
        if (data[i] != kEscape) {
            if (!inSet(current, quint8(data[i])))
                return refused(QStringLiteral("Code 128 character %1 is not in code set %2.")
                                   .arg(quint8(data[i]))
                                   .arg(QChar(current)));
            shiftPending = false;
            ++dataCharacters;
            continue;
        }
        if (i + 1 >= data.size())
            return refused(QStringLiteral("Code 128 data ends with a lone {."));
        const char code = data[++i];
        const bool setAOrB = current == 'A' || current == 'B';
        if (code == kEscape && current == 'B') {
            shiftPending = false;
            ++dataCharacters;
        } else if (shiftPending) {
            return refused(QStringLiteral("Code 128 shift {S must be followed by a character."));
        } else if (code >= 'A' && code <= 'C') {
            set = code;
        } else if (code == 'S' && setAOrB) {
            shiftPending = true;
        } else if (code != '1' && !(code >= '2' && code <= '4' && setAOrB)) {
            return refused(QStringLiteral("Code 128 escape {%1 is not valid in code set %2.")
                               .arg(QChar(code))
                               .arg(QChar(current)));
        }
    }
    if (shiftPending)
        return refused(QStringLiteral("Code 128 data ends with a shift."));
    if (dataCharacters == 0)
        return refused(QStringLiteral("Code 128 data holds no character to encode."));
    return text;
}

// The rest of the data after a start character, in the set it selects.
Code128Text inStartSet(char set, const QByteArray& rest) {
    if (rest.isEmpty())
        return refused(QStringLiteral("Code 128 data holds no character after the start character."));
    Code128Text text;
    text.escaped = QByteArray(1, kEscape) + set;
    text.symbols = 1;
    for (char c : rest) {
        if (!inSet(set, quint8(c)))
            return refused(QStringLiteral("Code 128 character %1 is not in code set %2.")
                               .arg(quint8(c))
                               .arg(QChar(set)));
        text.escaped += c;
        if (set == 'B' && c == kEscape)
            text.escaped += c;
        ++text.symbols;
    }
    return text;
}

int digitRun(const QList<int>& items, qsizetype from) {
    int run = 0;
    while (from + run < items.size() && items[from + run] >= '0' && items[from + run] <= '9')
        ++run;
    return run;
}

class AutomaticEncoder {
public:
    explicit AutomaticEncoder(const QList<int>& items) : m_items(items) {}

    Code128Text encode() {
        qsizetype i = 0;
        while (i < m_items.size()) {
            const int item = m_items[i];
            const int run = digitRun(m_items, i);
            if (item == code128Fnc1) {
                if (m_set == 0)
                    select(preferredSet(i + 1));
                append(QByteArray("{1"));
                ++i;
            } else if (run >= 4) {
                if (run % 2) { // the odd digit goes in set B, the pairs in set C
                    select('B');
                    append(QByteArray(1, char(item)));
                    ++i;
                }
                select('C');
                for (int k = run - run % 2; k > 0; k -= 2, i += 2)
                    append(QByteArray(1, char((m_items[i] - '0') * 10 + m_items[i + 1] - '0')));
            } else if (item >= 0x20 && item <= 0x7F) {
                select('B');
                append(item == kEscape ? QByteArray("{{") : QByteArray(1, char(item)));
                ++i;
            } else {
                return refused(QStringLiteral("Character %1 cannot be printed in Code 128 set B.").arg(item));
            }
        }
        if (m_text.symbols <= 1)
            return refused(QStringLiteral("Code 128 data holds no character to encode."));
        return m_text;
    }

private:
    char preferredSet(qsizetype from) const {
        const int run = digitRun(m_items, from);
        return run >= 4 && run % 2 == 0 ? 'C' : 'B';
    }
    void select(char set) {
        if (m_set == set)
            return;
        m_set = set;
        append(QByteArray(1, kEscape) + set);
    }
    void append(const QByteArray& symbol) {
        m_text.escaped += symbol;
        ++m_text.symbols;
    }

    const QList<int>& m_items;
    Code128Text m_text;
    char m_set = 0;
};

} // namespace

Code128Text code128FromArgument(const QByteArray& data) {
    if (data.startsWith(kEscape))
        return passThrough(data);
    if (data.startsWith(char(103)))
        return inStartSet('A', data.mid(1));
    if (data.startsWith(char(104)))
        return inStartSet('B', data.mid(1));
    if (data.startsWith(char(105)))
        return inStartSet('C', data.mid(1));
    return inStartSet('B', data);
}

Code128Text code128Automatic(const QList<int>& items) {
    return AutomaticEncoder(items).encode();
}

} // namespace device
