#pragma once

#include "device/profile/printerprofile.h"

#include <QList>
#include <QStringView>

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

} // namespace device
