#pragma once

#include "opos/oposconstants.h"

#include <QtGlobal>

namespace device {

// Converts between the MapMode units an application gives sizes in and the printer's dots.
// Negative values are named constants (PTR_BC_CENTER, PTR_BM_ASIS, ...), not sizes: they pass
// unchanged.
class MapModeScale {
public:
    MapModeScale() = default; // dots
    // An invalid mode counts as dots.
    MapModeScale(qint32 mapMode, int dpi);

    static bool isValid(qint32 mapMode); // PTR_MM_DOTS, TWIPS, ENGLISH, METRIC

    qint32 mapMode() const { return m_mapMode; }
    int toDots(int units) const;  // rounded to the nearest dot
    int fromDots(int dots) const; // rounded to the nearest unit

private:
    static int unitsPerInch(qint32 mapMode, int dpi);

    qint32 m_mapMode = opos::PTR_MM_DOTS;
    int m_dpi = 0; // 0: units are dots
    int m_unitsPerInch = 0;
};

} // namespace device
