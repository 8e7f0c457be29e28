#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

namespace virt {

// QR Code model 1, the original form of QR (versions 1 to 14, of which 1 to 12 are drawn): finder and timing
// patterns as in model 2, no alignment patterns, extension patterns on the right and bottom edges, its own
// block table and codeword placement. libzint draws only model 2, so the printer encodes model 1 here.
namespace QrModel1 {

enum class Level { L, M, Q, H };

struct Symbol {
    int version = 0; // 0: nothing encoded
    int mask = 0;
    int size = 0;           // modules per side, 17 + 4 * version
    std::vector<bool> dark; // row by row

    bool isNull() const { return version == 0; }
    bool isDark(int x, int y) const { return dark[size_t(y * size + x)]; }
};

// The smallest version that holds the data at this level, in numeric, alphanumeric or byte mode
// (whichever the whole data allows), with the mask of least penalty. Null with a reason when the
// data is empty or longer than the largest version drawn (12) holds.
Symbol encode(const QByteArray& data, Level level, QString* error);

// The 15 format bits (level, mask, BCH check) with model 1's XOR pattern, bit 14 first.
int formatBits(Level level, int mask);

// One module = dots x dots, black on transparent.
QImage draw(const Symbol& symbol, int dots);

} // namespace QrModel1

} // namespace virt
