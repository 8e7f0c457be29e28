#include "device/escpos/printdatatranslator.h"

#include "device/escpos/codepage.h"
#include "device/escpos/escposencoder.h"

#include <algorithm>
#include <utility>

namespace device {

namespace {

constexpr char16_t ESC = 0x1B;
constexpr char16_t LF = 0x0A;

// GS ! multiplies each axis by at most 8.
constexpr int maxScale = 8;

} // namespace

PrintDataTranslator::PrintDataTranslator(const PrinterProfile& profile, int characterSet)
    : m_profile(profile), m_characterSet(characterSet), m_line(profile.fonts) {}

void PrintDataTranslator::setCharacterSet(int characterSet) {
    m_characterSet = characterSet;
}

void PrintDataTranslator::setBitmapSource(BitmapSource source) {
    m_bitmapSource = std::move(source);
}

void PrintDataTranslator::setLogoSource(LogoSource source) {
    m_logoSource = std::move(source);
}

void PrintDataTranslator::setBaseFont(int index) {
    if (index < 0 || index >= m_profile.fonts.size())
        return;
    m_baseFont = index;
    m_fontUnsent = true;
}

void PrintDataTranslator::setMapMode(const MapModeScale& scale) {
    m_mapMode = scale;
}

// The typeface is the application's and outlives the printer's initialisation, which leaves font A.
void PrintDataTranslator::reset() {
    m_attributes = {};
    m_line.reset();
    m_lateAlignment.drop();
    m_fontUnsent = true;
}

DataValidity PrintDataTranslator::validate(QStringView data) const {
    PrintDataTranslator trial(*this);
    trial.m_validity = DataValidity::Supported;
    trial.translate(data);
    return trial.m_validity;
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
    if (std::exchange(m_fontUnsent, false))
        selectWantedFont(out);
    translateInto(out, data);
    // The line goes on in later data: what is held goes out as it stands, since the output of one
    // call is sent on its own.
    m_lateAlignment.drop();
    return out;
}

void PrintDataTranslator::translateInto(QByteArray& out, QStringView data) {
    qsizetype textStart = 0;
    qsizetype pos = 0;
    while (pos < data.size()) {
        const QChar c = data[pos];
        if (c == ESC && pos + 1 < data.size() && data[pos + 1] == u'|') {
            appendText(out, data.mid(textStart, pos - textStart));
            pos += 2;
            if (const auto sequence = PrintDataSequence::parse(data, pos))
                apply(out, *sequence);
            else
                note(DataValidity::Unsupported);
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
}

void PrintDataTranslator::appendText(QByteArray& out, QStringView text) {
    if (text.isEmpty())
        return;
    m_line.advance(text);
    const QByteArray bytes = CodePageConverter::encode(text, m_characterSet);
    // Each character the code page lacks became a '?'.
    if (bytes.count('?') > text.count(u'?'))
        note(DataValidity::Unsupported);
    out += bytes;
}

void PrintDataTranslator::apply(QByteArray& out, const PrintDataSequence& s) {
    const QString& lower = s.lower;
    switch (s.upper.unicode()) {
    case u'F':
        applyFeed(out, s);
        return;
    case u'P':
        applyCut(out, s);
        return;
    case u'C':
        applyCharacterAttribute(out, s);
        return;
    case u'L':
        applyLogo(out, s);
        return;
    case u'T':
        applyTypeface(out, s);
        return;
    case u'A':
        if (lower == u"l" || lower == u"c" || lower == u"r") {
            align(out, s.negated || lower == u"l" ? 0 : (lower == u"c" ? 1 : 2));
            return;
        }
        break;
    case u'N':
        if (lower.isEmpty() && !s.negated && !s.number) {
            resetAttributes(out, true);
            return;
        }
        break;
    case u'B':
        if (lower.isEmpty() && !s.negated && s.number) {
            const std::optional<QByteArray> raster =
                m_bitmapSource ? m_bitmapSource(*s.number) : std::optional<QByteArray>();
            if (!raster || raster->isEmpty())
                break; // nothing stored under the number
            // A raster image starts on a line of its own.
            flushLine(out);
            out += *raster;
            return;
        }
        break;
    default:
        break;
    }
    // Anything else is a sequence this printer cannot perform: dropped.
    note(DataValidity::Unsupported);
}

void PrintDataTranslator::applyFeed(QByteArray& out, const PrintDataSequence& s) {
    const QString& lower = s.lower;
    if (s.negated || !(lower == u"l" || lower == u"u" || lower == u"r")) {
        note(DataValidity::Unsupported);
        return;
    }
    int amount = s.number.value_or(1);
    if (lower == u"u")
        amount = m_mapMode.toDots(amount);
    if (lower == u"r") {
        if (m_profile.maxReverseFeedLines <= 0) {
            note(DataValidity::Unsupported);
            return;
        }
        if (amount > m_profile.maxReverseFeedLines) {
            note(DataValidity::Approximated);
            amount = m_profile.maxReverseFeedLines;
        }
    }
    if (amount <= 0)
        return;
    // ESC d, ESC J and ESC e print the buffer before moving the paper.
    m_lateAlignment.place(out, m_line);
    out += lower == u"l"   ? EscPos::feedLines(amount)
           : lower == u"u" ? EscPos::feedDots(amount)
                           : EscPos::reverseFeedLines(amount);
    m_line.startLine();
}

void PrintDataTranslator::applyCut(QByteArray& out, const PrintDataSequence& s) {
    const bool feedFirst = s.lower == u"f";
    const int percent = s.number.value_or(100);
    // ESC|#sP stamps as well, and there is no stamp.
    if (s.negated || !(s.lower.isEmpty() || feedFirst) || percent < 1 || percent > 100) {
        note(DataValidity::Unsupported);
        return;
    }
    if (!m_profile.hasCutter) {
        // Feeding past where the blade would be is all that is left of a feed and cut.
        if (feedFirst) {
            note(DataValidity::Approximated);
            m_lateAlignment.place(out, m_line);
            out += EscPos::feedLines(m_profile.linesToPaperCut);
            m_line.startLine();
        } else {
            note(DataValidity::Unsupported);
        }
        return;
    }
    // The cutter can only do what it has: a partial cut without a partial blade becomes full.
    const bool full = percent == 100 || !m_profile.hasPartialCut;
    if (full && percent != 100)
        note(DataValidity::Approximated);
    // A cut is honoured only at the beginning of a line. GS V 65/66 feeds the last printed line to
    // the blade by the printer's own distance from head to blade, then cuts: that is the feed of
    // ESC|fP too, more exact than RecLinesToPaperCut.
    flushLine(out);
    out += EscPos::cut(full, 0);
}

void PrintDataTranslator::applyCharacterAttribute(QByteArray& out, const PrintDataSequence& s) {
    if (s.lower == u"b" && !s.number) {
        m_attributes.bold = !s.negated;
        out += EscPos::bold(m_attributes.bold);
    } else if (s.lower == u"u") {
        // Thickness in dots; omitted means one dot, the printer has at most two.
        const int dots = s.negated ? 0 : s.number.value_or(1);
        if (dots > 2)
            note(DataValidity::Approximated);
        m_attributes.underlineDots = std::min(dots, 2);
        out += EscPos::underline(m_attributes.underlineDots);
    } else if (s.lower == u"rv" && !s.number) {
        m_attributes.reverse = !s.negated;
        out += EscPos::reverse(m_attributes.reverse);
    } else if (s.lower == u"r" && m_profile.twoColour) {
        m_attributes.red = !s.negated;
        out += EscPos::printColour(m_attributes.red ? 1 : 0);
    } else if ((s.lower.isEmpty() || s.lower == u"h" || s.lower == u"v") && !s.negated && s.number) {
        applySize(out, s);
    } else {
        // Italic, shading, red on one-colour paper, or no attribute at all.
        note(DataValidity::Unsupported);
    }
}

void PrintDataTranslator::applySize(QByteArray& out, const PrintDataSequence& s) {
    const int n = *s.number;
    if (s.lower.isEmpty()) {
        if (n < 1 || n > 4) {
            note(DataValidity::Unsupported);
            return;
        }
        // 1 normal, 2 double wide, 3 double high, 4 both: a whole character size, as the print
        // mode a printer sets for them.
        const int width = n == 2 || n == 4 ? 2 : 1;
        const int height = n == 3 || n == 4 ? 2 : 1;
        setSize(out, width, height);
        return;
    }
    if (n < 1) {
        note(DataValidity::Unsupported);
        return;
    }
    if (n > maxScale)
        note(DataValidity::Approximated);
    const int factor = std::min(n, maxScale);
    if (s.lower == u"h")
        setSize(out, factor, m_attributes.heightMul);
    else
        setSize(out, m_attributes.widthMul, factor);
}

void PrintDataTranslator::setSize(QByteArray& out, int widthMul, int heightMul) {
    m_attributes.widthMul = widthMul;
    m_attributes.heightMul = heightMul;
    out += EscPos::characterSize(widthMul, heightMul);
    m_line.setWidthMultiplier(widthMul);
}

void PrintDataTranslator::applyLogo(QByteArray& out, const PrintDataSequence& s) {
    const bool top = s.lower == u"t";
    if (s.negated || s.number || !(top || s.lower == u"b")) {
        note(DataValidity::Unsupported); // ESC|sL fires a stamp there is none of
        return;
    }
    // A logo's own logo sequences are dropped: a logo cannot hold itself.
    if (m_inLogo || !m_logoSource)
        return;
    const QString logo = m_logoSource(top ? TopLogo : BottomLogo);
    m_inLogo = true;
    translateInto(out, logo);
    m_inLogo = false;
}

void PrintDataTranslator::applyTypeface(QByteArray& out, const PrintDataSequence& s) {
    const int n = s.number.value_or(0);
    if (s.lower != u"f" || s.negated || n > m_profile.fonts.size()) {
        note(DataValidity::Unsupported);
        return;
    }
    m_typeface = n;
    selectWantedFont(out);
}

// ESC M when the font the typeface asks for is not the printer's.
void PrintDataTranslator::selectWantedFont(QByteArray& out) {
    const int wanted = m_typeface > 0 ? m_typeface - 1 : m_baseFont;
    if (m_line.font() == wanted)
        return;
    out += EscPos::font(wanted);
    m_line.setFont(wanted);
}

void PrintDataTranslator::align(QByteArray& out, int justification) {
    if (!m_line.hasText()) {
        m_attributes.justification = justification;
        out += EscPos::justify(justification);
        return;
    }
    // The printer ignores ESC a after text: the rest of the line is placed with spaces once the line
    // is complete. An earlier held part ends here, placed as if the line ended with it.
    m_lateAlignment.place(out, m_line);
    if (justification == 0)
        return;
    m_lateAlignment.hold(out.size(), justification, m_line, m_attributes.underlineDots, m_attributes.reverse);
}

void PrintDataTranslator::endLine(QByteArray& out) {
    m_lateAlignment.place(out, m_line);
    out += EscPos::lineFeed();
    m_line.startLine();
    resetAttributes(out, false);
}

void PrintDataTranslator::flushLine(QByteArray& out) {
    if (m_line.hasText())
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
    if (all || a.widthMul != 1 || a.heightMul != 1) {
        out += EscPos::characterSize(1, 1);
        m_line.setWidthMultiplier(1);
    }
    if (a.red || (all && m_profile.twoColour))
        out += EscPos::printColour(0);
    if (all || a.justification != 0)
        out += EscPos::justify(0);
    m_attributes = {};
}

} // namespace device
