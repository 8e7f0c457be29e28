#include "codepages.h"

#include "device/escpos/codepage.h"

#include <map>

namespace virt {

using device::CodePageConverter;

namespace {

struct TableSource {
    CodeTable table;
    const char* iconvName; // null: built here
};

// The tables of the character code table list that iconv can read, plus Katakana. PC853, PC720,
// the Thai tables and KZ-1048 are left out: a printer without a table ignores ESC t for it.
const TableSource kSources[] = {
    {{0, 437, "PC437 (USA, Standard Europe)"}, "CP437"},
    {{1, kKatakana, "Katakana"}, nullptr},
    {{2, 850, "PC850 (Multilingual)"}, "CP850"},
    {{3, 860, "PC860 (Portuguese)"}, "CP860"},
    {{4, 863, "PC863 (Canadian-French)"}, "CP863"},
    {{5, 865, "PC865 (Nordic)"}, "CP865"},
    {{11, 851, "PC851 (Greek)"}, "CP851"},
    {{13, 857, "PC857 (Turkish)"}, "CP857"},
    {{14, 737, "PC737 (Greek)"}, "CP737"},
    {{15, 28597, "ISO 8859-7 (Greek)"}, "ISO-8859-7"},
    {{16, 1252, "WPC1252"}, "CP1252"},
    {{17, 866, "PC866 (Cyrillic #2)"}, "CP866"},
    {{18, 852, "PC852 (Latin 2)"}, "CP852"},
    {{19, 858, "PC858 (Euro)"}, "CP858"},
    {{33, 775, "WPC775 (Baltic Rim)"}, "CP775"},
    {{34, 855, "PC855 (Cyrillic)"}, "CP855"},
    {{35, 861, "PC861 (Icelandic)"}, "CP861"},
    {{36, 862, "PC862 (Hebrew)"}, "CP862"},
    {{37, 864, "PC864 (Arabic)"}, "CP864"},
    {{38, 869, "PC869 (Greek)"}, "CP869"},
    {{39, 28592, "ISO 8859-2 (Latin 2)"}, "ISO-8859-2"},
    {{40, 28605, "ISO 8859-15 (Latin 9)"}, "ISO-8859-15"},
    {{44, 1125, "PC1125 (Ukrainian)"}, "CP1125"},
    {{45, 1250, "WPC1250 (Latin 2)"}, "CP1250"},
    {{46, 1251, "WPC1251 (Cyrillic)"}, "CP1251"},
    {{47, 1253, "WPC1253 (Greek)"}, "CP1253"},
    {{48, 1254, "WPC1254 (Turkish)"}, "CP1254"},
    {{49, 1255, "WPC1255 (Hebrew)"}, "CP1255"},
    {{50, 1256, "WPC1256 (Arabic)"}, "CP1256"},
    {{51, 1257, "WPC1257 (Baltic Rim)"}, "CP1257"},
    {{52, 1258, "WPC1258 (Vietnamese)"}, "CP1258"},
};

using DecodeTable = std::array<char32_t, 256>;

// JIS X 0201 Katakana in A1h..DFh, block and line graphics above and below it.
DecodeTable katakanaTable() {
    static const char16_t low[] = u"▁▂▃▄▅▆▇█▏▎▍▌▋▊▉┼┴┬┤├▔─│▕┌┐└┘╭╮╰╯";
    static const char16_t high[] = u"═╞╪╡◢◣◥◤♠♥♦♣●○╱╲╳円年月日時分秒〒市区町村人▓ ";
    DecodeTable table = CodePageConverter::decodeTableOf(nullptr);
    for (int i = 0; i < 32; ++i) {
        table[0x80 + i] = low[i];
        table[0xE0 + i] = high[i];
    }
    table[0xA0] = U' ';
    for (int byte = 0xA1; byte <= 0xDF; ++byte)
        table[byte] = char32_t(0xFF61 + byte - 0xA1);
    return table;
}

const std::map<int, DecodeTable>& decodeTables() {
    static const std::map<int, DecodeTable> tables = [] {
        std::map<int, DecodeTable> t;
        for (const TableSource& source : kSources)
            t.emplace(source.table.codePage, source.iconvName
                                                 ? CodePageConverter::decodeTableOf(source.iconvName)
                                                 : katakanaTable());
        // Printers put the euro sign where IBM's PC857 leaves D5h empty.
        t.at(857)[0xD5] = U'\u20AC';
        return t;
    }();
    return tables;
}

} // namespace

const QList<CodeTable>& codeTables() {
    static const QList<CodeTable> tables = [] {
        QList<CodeTable> list;
        for (const TableSource& source : kSources)
            list.append(source.table);
        return list;
    }();
    return tables;
}

bool isKnownCodePage(int codePage) {
    return decodeTables().count(codePage) > 0;
}

QChar decodeByte(int codePage, quint8 byte) {
    const auto& tables = decodeTables();
    const auto it = tables.find(codePage);
    const char32_t c = (it != tables.end() ? it->second : tables.at(437))[byte];
    // Every character of these tables lies in the BMP, so one QChar holds it.
    return c == CodePageConverter::Undefined ? QChar(0xFFFD) : QChar(char16_t(c));
}

} // namespace virt
