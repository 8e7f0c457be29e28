#include "device/escpos/codepage.h"

#include <QSysInfo>

#include <array>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <utility>
#include <vector>

namespace device {

namespace {

constexpr char32_t Unmappable = U'?';

// The code pages this system converts, with their iconv names.
constexpr std::pair<int, const char*> kIconvNames[] = {
    {437, "CP437"}, {850, "CP850"}, {852, "CP852"}, {858, "CP858"}, {866, "CP866"}, {1252, "CP1252"},
};

const char* iconvName(int codePage) {
    for (const auto& [page, name] : kIconvNames) {
        if (page == codePage)
            return name;
    }
    return nullptr;
}

const char* hostUtf32() {
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-32LE" : "UTF-32BE";
}

// Opening a descriptor costs far more than a conversion, so each thread keeps one per code page
// (a descriptor carries shift state and must not be shared between threads).
class DescriptorCache {
public:
    ~DescriptorCache() {
        for (auto& [page, cd] : m_descriptors) {
            if (cd != invalid())
                iconv_close(cd);
        }
    }

    // Returns invalid() when the system cannot convert to this code page.
    iconv_t toCodePage(int codePage) {
        auto it = m_descriptors.find(codePage);
        if (it == m_descriptors.end()) {
            const char* name = iconvName(codePage);
            iconv_t cd = name ? iconv_open(name, hostUtf32()) : invalid();
            it = m_descriptors.emplace(codePage, cd).first;
        }
        iconv(it->second, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        return it->second;
    }

    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }

private:
    std::map<int, iconv_t> m_descriptors;
};

DescriptorCache& descriptors() {
    thread_local DescriptorCache cache;
    return cache;
}

using DecodeTable = std::array<char32_t, 256>;

// What each byte of a code page stands for, as iconv reads it; bytes it cannot read are
// Undefined. Without iconv support for the page only the ASCII half is known.
DecodeTable buildDecodeTable(const char* name) {
    DecodeTable table;
    for (size_t byte = 0; byte < table.size(); ++byte)
        table[byte] = byte < 0x80 ? char32_t(byte) : CodePageConverter::Undefined;
    iconv_t cd = name ? iconv_open(hostUtf32(), name) : DescriptorCache::invalid();
    if (cd == DescriptorCache::invalid())
        return table;
    for (size_t byte = 0; byte < table.size(); ++byte) {
        char in = char(byte);
        char* inPtr = &in;
        size_t inLeft = 1;
        char32_t decoded = 0;
        char* out = reinterpret_cast<char*>(&decoded);
        size_t outLeft = sizeof decoded;
        const bool converted = iconv(cd, &inPtr, &inLeft, &out, &outLeft) != size_t(-1) && outLeft == 0;
        table[byte] = converted ? decoded : CodePageConverter::Undefined;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return table;
}

// Built once, on first use, for every supported page (a few thousand single-byte conversions);
// read-only afterwards, so threads can share it.
const DecodeTable& decodeTable(int codePage) {
    static const std::map<int, DecodeTable> tables = [] {
        std::map<int, DecodeTable> t;
        for (const auto& [page, name] : kIconvNames)
            t.emplace(page, buildDecodeTable(name));
        return t;
    }();
    static const DecodeTable ascii = buildDecodeTable(nullptr);
    const auto it = tables.find(codePage);
    return it != tables.end() ? it->second : ascii;
}

// U+0080..U+009F read as the Windows-1252 characters of those codes. Codes Windows-1252 leaves
// undefined (81, 8D, 8F, 90, 9D) stay unmappable.
char32_t c1AsWindows1252(char16_t c) {
    const char32_t decoded = decodeTable(1252)[c];
    return decoded == CodePageConverter::Undefined ? Unmappable : decoded;
}

// Code points of the text with the character rules applied; a surrogate pair is one code point,
// a lone surrogate is unmappable.
std::vector<char32_t> codePoints(QStringView text) {
    std::vector<char32_t> points;
    points.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            points.push_back(QChar::surrogateToUcs4(c, text[i + 1].unicode()));
            ++i;
        } else if (QChar::isSurrogate(c)) {
            points.push_back(Unmappable);
        } else if (c >= 0x80 && c <= 0x9F) {
            points.push_back(c1AsWindows1252(c));
        } else {
            points.push_back(c);
        }
    }
    return points;
}

bool isControl(char32_t c) {
    return c < 0x20;
}

void appendAscii(QByteArray& out, const char32_t* begin, const char32_t* end) {
    for (const char32_t* p = begin; p != end; ++p)
        out += *p < 0x80 ? char(*p) : '?';
}

// Converts a run without control codes; each character the code page lacks becomes '?'.
void appendConverted(QByteArray& out, iconv_t cd, const char32_t* begin, const char32_t* end) {
    char* in = reinterpret_cast<char*>(const_cast<char32_t*>(begin));
    size_t inLeft = size_t(end - begin) * sizeof(char32_t);
    while (inLeft > 0) {
        const qsizetype start = out.size();
        // These code pages are single-byte: one output byte per character is enough.
        const size_t room = inLeft / sizeof(char32_t) + 16;
        out.resize(start + qsizetype(room));
        char* dest = out.data() + start;
        size_t outLeft = room;
        const size_t result = iconv(cd, &in, &inLeft, &dest, &outLeft);
        const int error = errno;
        out.resize(start + qsizetype(room - outLeft));
        if (result != size_t(-1))
            break;
        if (error == EILSEQ) {
            out += '?';
            in += sizeof(char32_t);
            inLeft -= sizeof(char32_t);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        } else if (error != E2BIG) {
            // EINVAL cannot happen with whole UTF-32 units; never loop on an unknown error.
            for (size_t i = 0; i < inLeft / sizeof(char32_t); ++i)
                out += '?';
            break;
        }
    }
}

} // namespace

bool CodePageConverter::isSupported(int codePage) {
    return codePage == Ascii || iconvName(codePage) != nullptr;
}

QByteArray CodePageConverter::encode(QStringView text, int codePage) {
    QByteArray out;
    if (text.isEmpty())
        return out;
    out.reserve(text.size());
    const std::vector<char32_t> points = codePoints(text);
    iconv_t cd = iconvName(codePage) ? descriptors().toCodePage(codePage) : DescriptorCache::invalid();

    // Control codes go out as their byte, whatever the code page's table says about them.
    const char32_t* runStart = points.data();
    const char32_t* const end = points.data() + points.size();
    auto flushRun = [&](const char32_t* runEnd) {
        if (runStart == runEnd)
            return;
        if (cd == DescriptorCache::invalid())
            appendAscii(out, runStart, runEnd);
        else
            appendConverted(out, cd, runStart, runEnd);
    };
    for (const char32_t* p = runStart; p != end; ++p) {
        if (isControl(*p)) {
            flushRun(p);
            out += char(*p);
            runStart = p + 1;
        }
    }
    flushRun(end);
    return out;
}

std::array<char32_t, 256> CodePageConverter::decodeTableOf(const char* iconvName) {
    return buildDecodeTable(iconvName);
}

char32_t CodePageConverter::decodeByte(quint8 byte, int codePage) {
    return decodeTable(codePage)[byte];
}

QString CodePageConverter::decode(QByteArrayView bytes, int codePage) {
    const DecodeTable& table = decodeTable(codePage);
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const char32_t c = table[quint8(byte)];
        if (QChar::requiresSurrogates(c)) {
            text += QChar(QChar::highSurrogate(c));
            text += QChar(QChar::lowSurrogate(c));
        } else {
            text += QChar(char16_t(c));
        }
    }
    return text;
}

} // namespace device
