#include "device/escpos/codepage.h"

#include <QSysInfo>

#include <array>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <vector>

namespace device {

namespace {

constexpr char32_t Unmappable = U'?';

const char* iconvName(int codePage) {
    switch (codePage) {
    case 437:
        return "CP437";
    case 850:
        return "CP850";
    case 852:
        return "CP852";
    case 858:
        return "CP858";
    case 866:
        return "CP866";
    case 1252:
        return "CP1252";
    default:
        return nullptr;
    }
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

// U+0080..U+009F read as the Windows-1252 characters of those codes; the table comes from iconv
// itself. Codes Windows-1252 leaves undefined (81, 8D, 8F, 90, 9D) stay unmappable.
const std::array<char32_t, 32>& c1AsWindows1252() {
    static const std::array<char32_t, 32> table = [] {
        std::array<char32_t, 32> t;
        t.fill(Unmappable);
        iconv_t cd = iconv_open(hostUtf32(), "CP1252");
        if (cd == DescriptorCache::invalid())
            return t;
        for (int i = 0; i < 32; ++i) {
            char byte = char(0x80 + i);
            char32_t decoded = 0;
            char* in = &byte;
            size_t inLeft = 1;
            char* out = reinterpret_cast<char*>(&decoded);
            size_t outLeft = sizeof decoded;
            if (iconv(cd, &in, &inLeft, &out, &outLeft) != size_t(-1) && outLeft == 0)
                t[size_t(i)] = decoded;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
        iconv_close(cd);
        return t;
    }();
    return table;
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
            points.push_back(c1AsWindows1252()[c - 0x80]);
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

} // namespace device
