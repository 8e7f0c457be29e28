#include "code128.h"

#include "barcoderenderer.h"

namespace virt {

namespace {

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

} // namespace

QList<int> code128ElementWidths(const QList<int>& values) {
    QList<int> widths;
    auto add = [&widths](const char* pattern) {
        for (const char* p = pattern; *p; ++p)
            widths.append(*p - '0');
    };
    for (int value : values)
        add(kCode128Patterns[value]);
    add(kCode128Stop);
    return widths;
}

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

} // namespace virt
