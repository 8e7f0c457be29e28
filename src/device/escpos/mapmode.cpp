#include "device/escpos/mapmode.h"

#include "opos/oposconstants.h"

#include <algorithm>
#include <limits>

namespace device {

namespace {

// value * numerator / denominator, to the nearest whole number and within int; value >= 0.
int scaledRounded(int value, int numerator, int denominator) {
    const qint64 scaled = (qint64(value) * numerator * 2 + denominator) / (qint64(denominator) * 2);
    return int(std::min<qint64>(scaled, std::numeric_limits<int>::max()));
}

} // namespace

MapModeScale::MapModeScale(qint32 mapMode, int dpi) {
    if (!isValid(mapMode) || dpi <= 0 || mapMode == opos::PTR_MM_DOTS)
        return;
    m_mapMode = mapMode;
    m_dpi = dpi;
    m_unitsPerInch = unitsPerInch(mapMode, dpi);
}

bool MapModeScale::isValid(qint32 mapMode) {
    return mapMode >= opos::PTR_MM_DOTS && mapMode <= opos::PTR_MM_METRIC;
}

int MapModeScale::unitsPerInch(qint32 mapMode, int dpi) {
    switch (mapMode) {
    case opos::PTR_MM_TWIPS:
        return 1440;
    case opos::PTR_MM_ENGLISH:
        return 1000; // 0.001 in
    case opos::PTR_MM_METRIC:
        return 2540; // 0.01 mm
    default:
        return dpi;
    }
}

int MapModeScale::toDots(int units) const {
    if (units < 0 || m_dpi == 0)
        return units;
    return scaledRounded(units, m_dpi, m_unitsPerInch);
}

int MapModeScale::fromDots(int dots) const {
    if (dots < 0 || m_dpi == 0)
        return dots;
    return scaledRounded(dots, m_unitsPerInch, m_dpi);
}

} // namespace device
