#include "device/control/printmetrics.h"

namespace device {

using namespace opos;

void PrintMetrics::reset(const PrinterProfile& profile) {
    m_profile = profile;
    if (m_profile.fonts.isEmpty())
        m_profile.fonts.append(PrinterFont{QStringLiteral("Font A"), 12, 24, 48});
    m_scale = MapModeScale(PTR_MM_DOTS, m_profile.dpi);
    m_font = 0;
    m_lineChars = m_profile.fonts.first().lineChars;
    m_spacingDots = m_profile.lineSpacingDots;
}

Outcome PrintMetrics::setMapMode(qint32 mode) {
    if (!MapModeScale::isValid(mode))
        return OPOS_E_ILLEGAL;
    m_scale = MapModeScale(mode, m_profile.dpi);
    return OPOS_SUCCESS;
}

Outcome PrintMetrics::setLineChars(qint32 chars) {
    if (chars <= 0)
        return OPOS_E_ILLEGAL;
    // The fonts come widest first; the first that holds the characters prints them largest.
    for (int i = 0; i < m_profile.fonts.size(); ++i) {
        if (chars <= m_profile.fonts.at(i).lineChars) {
            const bool fontChanged = i != m_font;
            m_font = i;
            m_lineChars = chars;
            // A new font brings its own pitch: its height plus the gap the default leaves.
            if (fontChanged)
                m_spacingDots = qBound(
                    1, font().cellHeight + (m_profile.lineSpacingDots - m_profile.fonts.first().cellHeight),
                    255);
            return OPOS_SUCCESS;
        }
    }
    return OPOS_E_ILLEGAL;
}

Outcome PrintMetrics::setLineHeight(qint32 units) {
    return units > 0 ? OPOS_SUCCESS : OPOS_E_ILLEGAL;
}

Outcome PrintMetrics::setLineSpacing(qint32 units) {
    const qint32 dots = m_scale.toDots(units);
    if (units <= 0 || dots < 1 || dots > 255)
        return OPOS_E_ILLEGAL;
    m_spacingDots = dots;
    return OPOS_SUCCESS;
}

} // namespace device
