#pragma once

#include "device/profile/printerprofile.h"

#include <QByteArray>
#include <QStringView>

#include <functional>
#include <optional>

namespace device {

// Where the printer stands on the line it is filling: whether it holds text, and how many dots of
// the line that text takes in the font and width it went out in. Follows the raw commands typed
// into the data that change font or width (ESC M, ESC !, GS !, ESC @), since no escape selects
// font B.
class PrintLinePosition {
public:
    explicit PrintLinePosition(const QList<PrinterFont>& fonts);

    void advance(QStringView text); // text as sent, raw commands included
    void skipDots(int dots);        // blank space put on the line
    void setWidthMultiplier(int widthMul);
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
class PrintDataTranslator {
public:
    using BitmapSource = std::function<std::optional<QByteArray>(int number)>;

    PrintDataTranslator(const PrinterProfile& profile, int characterSet);

    void setCharacterSet(int characterSet);
    int characterSet() const { return m_characterSet; }
    // Raster bytes of stored bitmap n for ESC|#B, or nothing (then the sequence is ignored).
    void setBitmapSource(BitmapSource source);

    QByteArray translate(QStringView data);
    void reset(); // back to line start, no attributes

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
        int sizeCode = 0; // GS ! value
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
    void appendText(QByteArray& out, QStringView text);
    void apply(QByteArray& out, const Sequence& sequence);
    void applyCut(QByteArray& out, const Sequence& sequence, bool feedFirst);
    void applyCharacterAttribute(QByteArray& out, const Sequence& sequence);
    void align(QByteArray& out, int justification);
    void placeAlignedText(QByteArray& out);
    void endLine(QByteArray& out);
    void flushLine(QByteArray& out);
    void resetAttributes(QByteArray& out, bool all);

    PrinterProfile m_profile;
    int m_characterSet;
    BitmapSource m_bitmapSource;
    LineAttributes m_attributes;
    PrintLinePosition m_line;
    std::optional<AlignedText> m_aligned;
};

} // namespace device
