#pragma once

#include <QString>

namespace device {

class DeviceStatistics;

// What a request puts on paper, counted into the statistics once it has printed.
struct PrintTally {
    qint64 lines = 0, characters = 0, feeds = 0, cuts = 0, barcodes = 0, bitmaps = 0;

    PrintTally& operator+=(const PrintTally& other);
    // Lines are line feeds; characters what is printed of the text, escape sequences left out;
    // feeds the lines ESC|#lF moves on; cuts every ESC|#P, ESC|#fP and ESC|#sP.
    static PrintTally of(const QString& data);
    void countInto(DeviceStatistics& statistics) const;
};

} // namespace device
