#pragma once

#include "virtualprofile.h"

#include <QFont>
#include <QImage>

namespace virt {

struct TextStyle {
    bool fontB = false;
    bool bold = false; // emphasis or double strike
    int underline = 0; // dots, 0..2
    int widthMul = 1;  // 1..8
    int heightMul = 1; // 1..8
    bool reverse = false;
    bool rotate90 = false; // clockwise, standard mode
    int rightSpacing = 0;  // dots after each character
};

// Draws characters into dot cells the size of the printer fonts (12x24, 9x17), black on transparent,
// without anti-aliasing, so the same text always gives the same dots. Fonts and cells are drawn once
// for the whole process, on the GUI thread.
class GlyphRenderer {
public:
    explicit GlyphRenderer(const VirtualProfile& profile);

    CellSize cell(bool fontB) const { return fontB ? m_profile.fontB : m_profile.fontA; }
    // One character cell with every mode applied; its size is the advance on the paper.
    QImage render(QChar ch, const TextStyle& style);

private:
    QImage glyph(QChar ch, bool fontB);
    QImage draw(QChar ch, const TextStyle& style);
    QFont fontFor(bool fontB) const;

    VirtualProfile m_profile;
    QFont m_fontA;
    QFont m_fontB;
};

} // namespace virt
