#pragma once

#include "device/escpos/mapmode.h"
#include "device/profile/printerprofile.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <functional>
#include <optional>

namespace device {

// Where the printer stands on the line it is filling: whether it holds text, and how many dots of
// the line that text takes in the font and width it went out in. Follows the fonts the translator
// selects and the raw commands typed into the data that change font or width (ESC M, ESC !, GS !,
// ESC @).
class PrintLinePosition {
public:
    explicit PrintLinePosition(const QList<PrinterFont>& fonts);

    void advance(QStringView text); // text as sent, raw commands included
    void skipDots(int dots);        // blank space put on the line
    void setWidthMultiplier(int widthMul);
    void setFont(qsizetype font);
    qsizetype font() const { return m_font; }
    void startLine(); // the printer printed the line
    void reset();     // line start, font A, normal width

    bool hasText() const { return m_hasText; }
    int usedDots() const { return m_usedDots; }
    int lineDots() const;      // the whole line in the current font
    int characterDots() const; // one character in the current font and width

private:
    enum class RawParameter { None, Font, PrintMode, Size };
    void takeRawCommand(char16_t letter);
    void takeRawParameter(char16_t n);

    QList<PrinterFont> m_fonts;
    qsizetype m_font = 0;
    int m_widthMul = 1;
    int m_usedDots = 0;
    bool m_hasText = false;   // the printer holds text not yet printed
    char16_t m_rawPrefix = 0; // a raw command prefix waiting for its command letter
    RawParameter m_rawParameter = RawParameter::None;
};

// How exactly the printer can print some data (ValidateData), ordered from best to worst.
enum class DataValidity {
    Supported,
    Approximated, // OPOS_E_FAILURE: printed, but not as asked
    Unsupported,  // OPOS_E_ILLEGAL: a sequence or character the printer cannot print
};
qint32 resultCodeOf(DataValidity validity);

// Turns PrintNormal data (text with UPOS escape sequences ESC|...) into ESC/POS bytes.
//
// Stateful across calls: per-line attributes (bold, underline, reverse, size, alignment) last
// until the next LF, right after which their reset is emitted; ESC|N resets them at once. An
// unknown or incomplete ESC| sequence is dropped; an ESC not followed by '|' and every other
// control byte pass through unchanged, so typed \1B.. escapes reach the printer raw. CR before LF
// is kept (the printer ignores it). A cut (ESC|#P, ESC|#fP) or a stored bitmap (ESC|#B) after text
// that has not been printed yet ends that line with an LF first: the printer honours both only at
// the beginning of a line and would otherwise drop the cut. For the same reason an alignment
// (ESC|cA, ESC|rA) after text is made with spaces: the rest of the line, once its LF comes in the
// same data, is padded to the right edge or the middle of the space left.
//
// The typeface (ESC|#fT) is no line attribute: it lasts until changed, survives ESC|N, and goes out
// as ESC M, which no line reset touches. ESC|1C to ESC|4C set the whole character size (2C double
// wide and single high, 3C the other way round); #hC and #vC set the axis they name and keep the
// other; a scale above the 8 of GS ! is clamped to 8, a scale of 0 is ignored. A reverse feed
// beyond what the mechanism can do is cut down to that. Italic, shading, stamps and red without
// two-colour paper are ignored, as a printer ignores what it cannot do.
class PrintDataTranslator {
public:
    using BitmapSource = std::function<std::optional<QByteArray>(int number)>;
    // The print data SetLogo stored for a location (PTR_L_TOP 1, PTR_L_BOTTOM 2); empty for none.
    using LogoSource = std::function<QString(int location)>;
    static constexpr int TopLogo = 1;
    static constexpr int BottomLogo = 2;

    PrintDataTranslator(const PrinterProfile& profile, int characterSet);

    void setCharacterSet(int characterSet);
    int characterSet() const { return m_characterSet; }
    // Raster bytes of stored bitmap n for ESC|#B, or nothing (then the sequence is ignored).
    void setBitmapSource(BitmapSource source);
    // ESC|tL and ESC|bL print the logo's data here, its own logo sequences ignored.
    void setLogoSource(LogoSource source);
    // The font ESC|0fT returns to (an index into the profile's fonts); an index past them is
    // ignored. Sent with the next data when it differs from what the printer has.
    void setBaseFont(int index);
    int baseFont() const { return m_baseFont; }
    // Units of ESC|#uF.
    void setMapMode(const MapModeScale& scale);

    QByteArray translate(QStringView data);
    // What translating the data would do, without changing this translator.
    DataValidity validate(QStringView data) const;
    void reset(); // the printer was initialised: line start, no attributes, font A on the printer

private:
    struct Sequence {
        bool negated = false;
        std::optional<int> number;
        QString lower;
        QChar upper;
    };
    // Per-line attributes as last sent to the printer.
    struct LineAttributes {
        bool bold = false;
        int underlineDots = 0;
        bool reverse = false;
        int widthMul = 1; // GS ! factors
        int heightMul = 1;
        bool red = false;
        int justification = 0;
    };
    // The rest of a line after an alignment escape that came after text, held until the line is
    // complete.
    struct AlignedText {
        qsizetype padAt = 0;   // where in the output of this call the padding goes
        int justification = 0; // 1 centre, 2 right
        int lineDots = 0;
        int spaceDots = 0;
        int underlineDots = 0;
        bool reverse = false;
    };

    static std::optional<Sequence> parseSequence(QStringView data, qsizetype& pos);
    void translateInto(QByteArray& out, QStringView data);
    void appendText(QByteArray& out, QStringView text);
    void apply(QByteArray& out, const Sequence& sequence);
    void applyFeed(QByteArray& out, const Sequence& sequence);
    void applyCut(QByteArray& out, const Sequence& sequence);
    void applyCharacterAttribute(QByteArray& out, const Sequence& sequence);
    void applySize(QByteArray& out, const Sequence& sequence);
    void applyLogo(QByteArray& out, const Sequence& sequence);
    void applyTypeface(QByteArray& out, const Sequence& sequence);
    void selectWantedFont(QByteArray& out);
    void setSize(QByteArray& out, int widthMul, int heightMul);
    void note(DataValidity validity) { m_validity = std::max(m_validity, validity); }
    void align(QByteArray& out, int justification);
    void placeAlignedText(QByteArray& out);
    void endLine(QByteArray& out);
    void flushLine(QByteArray& out);
    void resetAttributes(QByteArray& out, bool all);

    PrinterProfile m_profile;
    int m_characterSet;
    BitmapSource m_bitmapSource;
    LogoSource m_logoSource;
    MapModeScale m_mapMode;
    int m_baseFont = 0;
    int m_typeface = 0;        // ESC|#fT: 0 the base font, n the profile's n-th font
    bool m_fontUnsent = false; // the wanted font may differ from the printer's
    bool m_inLogo = false;
    DataValidity m_validity = DataValidity::Supported; // worst since the last validate
    LineAttributes m_attributes;
    PrintLinePosition m_line;
    std::optional<AlignedText> m_aligned;
};

} // namespace device
