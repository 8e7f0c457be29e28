#include "paperbands.h"

namespace virt {

const PaperBand* bandAt(const QList<PaperBand>& bands, int row) {
    for (qsizetype i = bands.size() - 1; i >= 0; --i)
        if (bands.at(i).top <= row && row < bands.at(i).bottom())
            return &bands.at(i);
    return nullptr;
}

QList<PaperBand> bandsOf(const QList<PaperBand>& bands, const ByteSpan& bytes) {
    QList<PaperBand> found;
    for (const PaperBand& band : bands)
        if (band.bytes.intersects(bytes))
            found << band;
    return found;
}

} // namespace virt
