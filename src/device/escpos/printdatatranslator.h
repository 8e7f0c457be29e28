#pragma once

#include "device/escpos/latealignment.h"
#include "device/escpos/mapmode.h"
#include "device/escpos/printdatasequence.h"
#include "device/escpos/printdatavalidity.h"
#include "device/escpos/printlineposition.h"
#include "device/profile/printerprofile.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <functional>
#include <optional>

namespace device {

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

    void translateInto(QByteArray& out, QStringView data);
    void appendText(QByteArray& out, QStringView text);
    void apply(QByteArray& out, const PrintDataSequence& sequence);
    void applyFeed(QByteArray& out, const PrintDataSequence& sequence);
    void applyCut(QByteArray& out, const PrintDataSequence& sequence);
    void applyCharacterAttribute(QByteArray& out, const PrintDataSequence& sequence);
    void applySize(QByteArray& out, const PrintDataSequence& sequence);
    void applyLogo(QByteArray& out, const PrintDataSequence& sequence);
    void applyTypeface(QByteArray& out, const PrintDataSequence& sequence);
    void selectWantedFont(QByteArray& out);
    void setSize(QByteArray& out, int widthMul, int heightMul);
    void note(DataValidity validity) { m_validity = std::max(m_validity, validity); }
    void align(QByteArray& out, int justification);
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
    LateAlignment m_lateAlignment; // the rest of a line after an alignment that came after text
};

} // namespace device
