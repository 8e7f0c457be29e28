#include "device/escpos/printdatatranslator.h"

#include "device/escpos/codepage.h"
#include "device/escpos/escposencoder.h"

#include <algorithm>

namespace device {

namespace {

constexpr char16_t ESC = 0x1B;
constexpr char16_t LF = 0x0A;

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

// Bytes that start a raw ESC/POS command typed by the user; the byte after one is a command
// letter, not text.
bool isRawCommandPrefix(QChar c) {
    const char16_t u = c.unicode();
    return u == 0x1B || u == 0x1D || u == 0x1C || u == 0x10;
}

} // namespace

PrintDataTranslator::PrintDataTranslator(const PrinterProfile& profile, int characterSet)
    : m_profile(profile), m_characterSet(characterSet) {}

void PrintDataTranslator::setCharacterSet(int characterSet) {
    m_characterSet = characterSet;
}

void PrintDataTranslator::setBitmapSource(BitmapSource source) {
    m_bitmapSource = std::move(source);
}

void PrintDataTranslator::reset() {
    m_attributes = {};
    m_lineHasText = false;
    m_afterRawPrefix = false;
}

// Where the text before an LF ends: a CR directly before it is dropped, as UnifiedPOS says, so a
// printer with automatic line feed does not double-space CR LF lines. A CR that is the parameter
// of a raw command stays.
static qsizetype withoutCarriageReturn(QStringView data, qsizetype start, qsizetype lineFeed) {
    if (lineFeed <= start || data[lineFeed - 1] != u'\r')
        return lineFeed;
    // Commands typed raw carry up to two parameters after their prefix.
    for (qsizetype i = std::max<qsizetype>(0, lineFeed - 4); i < lineFeed - 1; ++i)
        if (QStringView(u"\x10\x1B\x1C\x1D").contains(data[i]) && data[i + 1] != u'|')
            return lineFeed;
    return lineFeed - 1;
}

QByteArray PrintDataTranslator::translate(QStringView data) {
    QByteArray out;
    qsizetype textStart = 0;
    qsizetype pos = 0;
    while (pos < data.size()) {
        const QChar c = data[pos];
        if (c == ESC && pos + 1 < data.size() && data[pos + 1] == u'|') {
            appendText(out, data.mid(textStart, pos - textStart));
            pos += 2;
            if (const auto sequence = parseSequence(data, pos))
                apply(out, *sequence);
            textStart = pos;
        } else if (c == LF) {
            appendText(out, data.mid(textStart, withoutCarriageReturn(data, textStart, pos) - textStart));
            ++pos;
            endLine(out);
            textStart = pos;
        } else {
            ++pos;
        }
    }
    appendText(out, data.mid(textStart));
    return out;
}

// Grammar: ESC | [!] [digits] [lower-case letters] UPPER-CASE letter. pos starts after "ESC|"
// and ends after the sequence; a sequence that breaks off is dropped up to where it broke off
// and nothing after it is consumed.
std::optional<PrintDataTranslator::Sequence> PrintDataTranslator::parseSequence(QStringView data,
                                                                                qsizetype& pos) {
    Sequence sequence;
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

void PrintDataTranslator::appendText(QByteArray& out, QStringView text) {
    if (text.isEmpty())
        return;
    for (QChar c : text) {
        if (m_afterRawPrefix)
            m_afterRawPrefix = false;
        else if (isRawCommandPrefix(c))
            m_afterRawPrefix = true;
        else if (c.unicode() >= 0x20)
            m_lineHasText = true;
    }
    out += CodePageConverter::encode(text, m_characterSet);
}

void PrintDataTranslator::apply(QByteArray& out, const Sequence& s) {
    const QString& lower = s.lower;
    const char16_t upper = s.upper.unicode();
    if (upper == u'F' && (lower == u"l" || lower == u"u") && !s.negated) {
        const int amount = s.number.value_or(1);
        if (amount <= 0)
            return;
        // ESC d / ESC J print the buffer before feeding.
        out += lower == u"l" ? EscPos::feedLines(amount) : EscPos::feedDots(amount);
        m_lineHasText = false;
    } else if (upper == u'P' && (lower.isEmpty() || lower == u"f") && !s.negated) {
        applyCut(out, s, lower == u"f");
    } else if (upper == u'C') {
        applyCharacterAttribute(out, s);
    } else if (upper == u'A' && (lower == u"c" || lower == u"r")) {
        m_attributes.justification = s.negated ? 0 : (lower == u"c" ? 1 : 2);
        out += EscPos::justify(m_attributes.justification);
    } else if (upper == u'N' && lower.isEmpty() && !s.negated && !s.number) {
        resetAttributes(out, true);
    } else if (upper == u'B' && lower.isEmpty() && !s.negated && s.number && m_bitmapSource) {
        const std::optional<QByteArray> raster = m_bitmapSource(*s.number);
        if (!raster || raster->isEmpty())
            return;
        // A raster image starts on a line of its own.
        flushLine(out);
        out += *raster;
    }
    // Anything else is a sequence this printer cannot perform: dropped.
}

void PrintDataTranslator::applyCut(QByteArray& out, const Sequence& s, bool feedFirst) {
    const int percent = s.number.value_or(100);
    if (percent < 1 || percent > 100)
        return;
    if (feedFirst) {
        // The application's own "feed past the cutter": the printed lines are then beyond the
        // blade, so cut where the paper stands.
        out += EscPos::feedLines(m_profile.linesToPaperCut);
        m_lineHasText = false;
    }
    if (!m_profile.hasCutter)
        return;
    // The cutter can only do what it has: a partial cut without a partial blade becomes full.
    const bool full = percent == 100 || !m_profile.hasPartialCut;
    if (feedFirst) {
        out += EscPos::cutHere(full);
    } else {
        // A cut is honoured only at the beginning of a line, and the printer itself feeds the
        // last printed line past the blade first.
        flushLine(out);
        out += EscPos::cut(full, 0);
    }
}

void PrintDataTranslator::applyCharacterAttribute(QByteArray& out, const Sequence& s) {
    if (s.lower == u"b" && !s.number) {
        m_attributes.bold = !s.negated;
        out += EscPos::bold(m_attributes.bold);
    } else if (s.lower == u"u") {
        // Thickness in dots; omitted means one dot, the printer has at most two.
        m_attributes.underlineDots = s.negated ? 0 : std::min(s.number.value_or(1), 2);
        out += EscPos::underline(m_attributes.underlineDots);
    } else if (s.lower == u"rv" && !s.number) {
        m_attributes.reverse = !s.negated;
        out += EscPos::reverse(m_attributes.reverse);
    } else if (s.lower.isEmpty() && !s.negated && s.number && *s.number >= 1 && *s.number <= 4) {
        // 1 normal, 2 double wide, 3 double high, 4 both.
        const int n = *s.number;
        const int width = (n == 2 || n == 4) ? 2 : 1;
        const int height = (n == 3 || n == 4) ? 2 : 1;
        m_attributes.sizeCode = ((width - 1) << 4) | (height - 1);
        out += EscPos::characterSize(width, height);
    }
}

void PrintDataTranslator::endLine(QByteArray& out) {
    out += EscPos::lineFeed();
    m_lineHasText = false;
    m_afterRawPrefix = false;
    resetAttributes(out, false);
}

void PrintDataTranslator::flushLine(QByteArray& out) {
    if (m_lineHasText)
        endLine(out);
}

// Emits the reset of each attribute that is set, or of every attribute when all is true.
void PrintDataTranslator::resetAttributes(QByteArray& out, bool all) {
    const LineAttributes& a = m_attributes;
    if (all || a.bold)
        out += EscPos::bold(false);
    if (all || a.underlineDots != 0)
        out += EscPos::underline(0);
    if (all || a.reverse)
        out += EscPos::reverse(false);
    if (all || a.sizeCode != 0)
        out += EscPos::characterSize(1, 1);
    if (all || a.justification != 0)
        out += EscPos::justify(0);
    m_attributes = {};
}

} // namespace device
