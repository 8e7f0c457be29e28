#pragma once

#include "device/control/resultfunnel.h"
#include "device/escpos/mapmode.h"
#include "device/profile/printerprofile.h"

namespace device {

// The receipt station's writable line metrics (RecLineChars, RecLineHeight, RecLineSpacing) and
// the unit (MapMode) in which the application gives and reads every dimension. A refused set
// answers OPOS_E_ILLEGAL and changes nothing.
class PrintMetrics {
public:
    void reset(const PrinterProfile& profile); // the printer's defaults: font A, dots

    Outcome setMapMode(qint32 mode);
    // Picks the widest font that fits the characters on the line; height and spacing follow it.
    Outcome setLineChars(qint32 chars);
    // The fonts have one height each: any positive height is set to the nearest, the font's own.
    Outcome setLineHeight(qint32 units);
    Outcome setLineSpacing(qint32 units); // ESC 3 takes 1..255 dots

    qint32 mapMode() const { return m_scale.mapMode(); }
    const MapModeScale& scale() const { return m_scale; }
    qint32 lineChars() const { return m_lineChars; }
    int fontIndex() const { return m_font; }
    const PrinterFont& font() const { return m_profile.fonts.at(m_font); }
    int lineHeightDots() const { return font().cellHeight; }
    int lineSpacingDots() const { return m_spacingDots; }
    qint32 lineHeight() const { return m_scale.fromDots(lineHeightDots()); }
    qint32 lineSpacing() const { return m_scale.fromDots(m_spacingDots); }
    qint32 lineWidth() const { return m_scale.fromDots(m_profile.lineWidthDots); }
    // A dimension argument in dots; the negative named values (PTR_BC_CENTER, PTR_BM_ASIS) stay.
    qint32 toDots(qint32 units) const { return units < 0 ? units : m_scale.toDots(units); }

private:
    PrinterProfile m_profile;
    MapModeScale m_scale;
    qint32 m_lineChars = 0;
    int m_font = 0;
    int m_spacingDots = 0;
};

} // namespace device
