#include "device/escpos/printlineposition.h"

#include <utility>

namespace device {

namespace {

constexpr char16_t ESC = 0x1B;
constexpr char16_t GS = 0x1D;

// Bytes that start a raw ESC/POS command typed by the user; the byte after one is a command
// letter, not text.
bool isRawCommandPrefix(char16_t u) {
    return u == 0x1B || u == 0x1D || u == 0x1C || u == 0x10;
}

} // namespace

PrintLinePosition::PrintLinePosition(const QList<PrinterFont>& fonts) : m_fonts(fonts) {}

void PrintLinePosition::advance(QStringView text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (m_rawParameter != RawParameter::None) {
            takeRawParameter(u);
        } else if (m_rawPrefix != 0) {
            takeRawCommand(u);
        } else if (isRawCommandPrefix(u)) {
            m_rawPrefix = u;
        } else if (u >= 0x20 && !c.isLowSurrogate()) {
            m_hasText = true;
            m_usedDots += characterDots();
        }
    }
}

void PrintLinePosition::skipDots(int dots) {
    m_usedDots += dots;
}

void PrintLinePosition::setWidthMultiplier(int widthMul) {
    m_widthMul = widthMul;
}

void PrintLinePosition::setFont(qsizetype font) {
    m_font = font;
}

void PrintLinePosition::startLine() {
    m_usedDots = 0;
    m_hasText = false;
    m_rawPrefix = 0;
    m_rawParameter = RawParameter::None;
}

void PrintLinePosition::reset() {
    startLine();
    m_font = 0;
    m_widthMul = 1;
}

int PrintLinePosition::lineDots() const {
    return m_font < m_fonts.size() ? m_fonts[m_font].lineChars * m_fonts[m_font].cellWidth : 0;
}

int PrintLinePosition::characterDots() const {
    return m_font < m_fonts.size() ? m_fonts[m_font].cellWidth * m_widthMul : 0;
}

void PrintLinePosition::takeRawCommand(char16_t letter) {
    const char16_t prefix = std::exchange(m_rawPrefix, 0);
    if (prefix == ESC && letter == u'M')
        m_rawParameter = RawParameter::Font;
    else if (prefix == ESC && letter == u'!')
        m_rawParameter = RawParameter::PrintMode;
    else if (prefix == GS && letter == u'!')
        m_rawParameter = RawParameter::Size;
    else if (prefix == ESC && letter == u'@')
        reset();
}

void PrintLinePosition::takeRawParameter(char16_t n) {
    switch (std::exchange(m_rawParameter, RawParameter::None)) {
    case RawParameter::Font: // 0/48 A, 1/49 B
        if (n == 0 || n == u'0' || n == 1 || n == u'1')
            m_font = n & 1;
        break;
    case RawParameter::PrintMode: // bit 0 font B, bit 5 double width
        m_font = n & 1;
        m_widthMul = (n & 0x20) ? 2 : 1;
        break;
    case RawParameter::Size: // high nibble: width multiplier - 1
        m_widthMul = ((n >> 4) & 7) + 1;
        break;
    case RawParameter::None:
        break;
    }
}

} // namespace device
