#pragma once

#include "device/profile/printerprofile.h"

#include <QByteArray>
#include <QStringView>

#include <functional>
#include <optional>

namespace device {

// Turns PrintNormal data (text with UPOS escape sequences ESC|...) into ESC/POS bytes.
//
// Stateful across calls: per-line attributes (bold, underline, reverse, size, alignment) last
// until the next LF, right after which their reset is emitted; ESC|N resets them at once. An
// unknown or incomplete ESC| sequence is dropped; an ESC not followed by '|' and every other
// control byte pass through unchanged, so typed \1B.. escapes reach the printer raw. CR before LF
// is kept (the printer ignores it). A cut (ESC|#P) or a stored bitmap (ESC|#B) after text that
// has not been printed yet ends that line with an LF first: the printer honours both only at the
// beginning of a line and would otherwise drop the cut.
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

    static std::optional<Sequence> parseSequence(QStringView data, qsizetype& pos);
    void appendText(QByteArray& out, QStringView text);
    void apply(QByteArray& out, const Sequence& sequence);
    void applyCut(QByteArray& out, const Sequence& sequence, bool feedFirst);
    void applyCharacterAttribute(QByteArray& out, const Sequence& sequence);
    void endLine(QByteArray& out);
    void flushLine(QByteArray& out);
    void resetAttributes(QByteArray& out, bool all);

    PrinterProfile m_profile;
    int m_characterSet;
    BitmapSource m_bitmapSource;
    LineAttributes m_attributes;
    bool m_lineHasText = false;    // the printer holds text not yet printed
    bool m_afterRawPrefix = false; // the previous character was a raw command prefix
};

} // namespace device
