#include "qrmodel1.h"

#include <QPainter>
#include <QRect>
#include <array>
#include <cstdlib>

namespace virt::QrModel1 {

namespace {

// Error correction per version and level: check codewords per block, blocks, data codewords per
// block. Every block of a model 1 symbol has the same size.
struct Blocks {
    int checkPerBlock;
    int count;
    int dataPerBlock;
    int dataCodewords() const { return count * dataPerBlock; }
};

// Versions 13 and 14 are left out: their published block sizes do not add up to the codewords
// the symbol holds, and no reader at hand decodes them, so a symbol of ours could not be proven.
constexpr int kDrawnVersions = 12;

constexpr std::array<std::array<Blocks, 4>, kDrawnVersions> kBlocks{{
    {{{7, 1, 19}, {10, 1, 16}, {13, 1, 13}, {17, 1, 9}}},
    {{{10, 1, 36}, {16, 1, 30}, {22, 1, 24}, {30, 1, 16}}},
    {{{15, 1, 57}, {28, 1, 44}, {36, 1, 36}, {48, 1, 24}}},
    {{{20, 1, 80}, {40, 1, 60}, {50, 1, 50}, {66, 1, 34}}},
    {{{26, 1, 108}, {52, 1, 82}, {66, 1, 68}, {44, 2, 23}}},
    {{{34, 1, 136}, {32, 2, 53}, {42, 2, 43}, {56, 2, 29}}},
    {{{42, 1, 170}, {40, 2, 66}, {52, 2, 54}, {46, 3, 24}}},
    {{{24, 2, 104}, {48, 2, 80}, {64, 2, 64}, {56, 3, 29}}},
    {{{30, 2, 123}, {60, 2, 93}, {50, 3, 52}, {68, 3, 34}}},
    {{{34, 2, 145}, {68, 2, 111}, {58, 3, 61}, {58, 4, 31}}},
    {{{40, 2, 168}, {40, 4, 64}, {52, 4, 52}, {54, 5, 29}}},
    {{{46, 2, 192}, {46, 4, 73}, {58, 4, 61}, {62, 5, 33}}},
}};

const Blocks& blocksFor(int version, Level level) {
    return kBlocks[size_t(version - 1)][size_t(level)];
}

// ---- bit stream ----------------------------------------------------------------------------

class BitWriter {
public:
    void put(unsigned value, int bits) {
        for (int i = bits - 1; i >= 0; --i)
            m_bits.push_back((value >> i) & 1);
    }
    int size() const { return int(m_bits.size()); }
    std::vector<quint8> bytes() const {
        std::vector<quint8> out(size_t((size() + 7) / 8), 0);
        for (size_t i = 0; i < m_bits.size(); ++i)
            if (m_bits[i])
                out[i / 8] |= quint8(0x80 >> (i % 8));
        return out;
    }

private:
    std::vector<bool> m_bits;
};

enum class Mode { Numeric = 1, Alphanumeric = 2, Byte = 4 };

constexpr char kAlphanumeric[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";

int alphanumericValue(char c) {
    for (int i = 0; kAlphanumeric[i]; ++i)
        if (kAlphanumeric[i] == c)
            return i;
    return -1;
}

Mode modeFor(const QByteArray& data) {
    bool digits = true, alphanumeric = true;
    for (char c : data) {
        digits = digits && c >= '0' && c <= '9';
        alphanumeric = alphanumeric && alphanumericValue(c) >= 0;
    }
    return digits ? Mode::Numeric : alphanumeric ? Mode::Alphanumeric : Mode::Byte;
}

int countBits(Mode mode, int version) {
    const bool large = version >= 10;
    switch (mode) {
    case Mode::Numeric:
        return large ? 12 : 10;
    case Mode::Alphanumeric:
        return large ? 11 : 9;
    case Mode::Byte:
        break;
    }
    return large ? 16 : 8;
}

void putPayload(BitWriter* out, Mode mode, const QByteArray& data) {
    const int n = int(data.size());
    if (mode == Mode::Numeric) {
        for (int i = 0; i < n; i += 3) {
            const int digits = qMin(3, n - i);
            out->put(data.mid(i, digits).toUInt(), 1 + 3 * digits);
        }
    } else if (mode == Mode::Alphanumeric) {
        for (int i = 0; i + 1 < n; i += 2)
            out->put(unsigned(alphanumericValue(data[i]) * 45 + alphanumericValue(data[i + 1])), 11);
        if (n % 2)
            out->put(unsigned(alphanumericValue(data[n - 1])), 6);
    } else {
        for (char c : data)
            out->put(quint8(c), 8);
    }
}

// The data codewords: four zero bits that open every model 1 stream, one segment, the
// terminator and the pad codewords. Empty when the data does not fit.
std::vector<quint8> dataCodewords(const QByteArray& data, Mode mode, int version, int capacity) {
    const int bits = countBits(mode, version);
    if (data.size() >= (1 << bits))
        return {};
    BitWriter out;
    out.put(0, 4);
    out.put(unsigned(mode), 4);
    out.put(unsigned(data.size()), bits);
    putPayload(&out, mode, data);
    if (out.size() > capacity * 8)
        return {};
    out.put(0, qMin(4, capacity * 8 - out.size()));
    out.put(0, (8 - out.size() % 8) % 8);
    std::vector<quint8> codewords = out.bytes();
    for (bool even = true; int(codewords.size()) < capacity; even = !even)
        codewords.push_back(even ? 0xEC : 0x11);
    return codewords;
}

// ---- Reed-Solomon over GF(256), x^8 + x^4 + x^3 + x^2 + 1 -------------------------------

struct Field {
    std::array<quint8, 512> exp{};
    std::array<int, 256> log{};
    Field() {
        int x = 1;
        for (int i = 0; i < 255; ++i) {
            exp[size_t(i)] = exp[size_t(i + 255)] = quint8(x);
            log[size_t(x)] = i;
            x = (x << 1) ^ (x & 0x80 ? 0x11D : 0);
        }
    }
    quint8 times(quint8 a, quint8 b) const { return a && b ? exp[size_t(log[a] + log[b])] : 0; }
};

const Field& field() {
    static const Field f;
    return f;
}

std::vector<quint8> checkCodewords(const std::vector<quint8>& data, int count) {
    const Field& gf = field();
    // Generator (x - a^0)(x - a^1)...(x - a^(count-1)), highest term first, leading 1 dropped.
    std::vector<quint8> generator(size_t(count), 0);
    generator.back() = 1;
    quint8 root = 1;
    for (int i = 0; i < count; ++i) {
        for (size_t j = 0; j < generator.size(); ++j) {
            generator[j] = gf.times(generator[j], root);
            if (j + 1 < generator.size())
                generator[j] ^= generator[j + 1];
        }
        root = gf.times(root, 2);
    }
    std::vector<quint8> remainder(size_t(count), 0);
    for (quint8 byte : data) {
        const quint8 factor = byte ^ remainder.front();
        remainder.erase(remainder.begin());
        remainder.push_back(0);
        for (size_t j = 0; j < remainder.size(); ++j)
            remainder[j] ^= gf.times(generator[j], factor);
    }
    return remainder;
}

// The data codewords in order, then each block's check codewords; model 1 does not interleave.
std::vector<quint8> withChecks(const std::vector<quint8>& data, const Blocks& blocks) {
    std::vector<quint8> out = data;
    for (int b = 0; b < blocks.count; ++b) {
        const auto from = data.begin() + b * blocks.dataPerBlock;
        const std::vector<quint8> check =
            checkCodewords(std::vector<quint8>(from, from + blocks.dataPerBlock), blocks.checkPerBlock);
        out.insert(out.end(), check.begin(), check.end());
    }
    return out;
}

// ---- layout ----------------------------------------------------------------------------------

// Where each codeword's bits go, most significant first: two-module-wide columns up the right
// edge, four-module-wide columns from right to left in two-row steps, then the two-module-wide
// columns between the left finders. The places left out on the right and bottom edges hold the
// extension patterns.
struct Layout {
    std::vector<QPoint> dataModules;
    std::vector<QRect> extensions;
};

Layout layoutFor(int version) {
    const int size = 17 + 4 * version;
    Layout layout;
    auto putCodeword = [&](int x, int y, int width) {
        for (int b = 0; b < 8; ++b)
            layout.dataModules.emplace_back(x - b % width, y - b / width);
    };
    for (int pair = 0; pair < 2; ++pair) {
        const int x = size - 1 - 2 * pair;
        for (int i = 0; i < version + 2; ++i) {
            const int y = size - 1 - 4 * i;
            if (pair == 0 && i > 0 && i % 2 == 0 && i < version + 1)
                layout.extensions.emplace_back(x - 1, y - 3, 2, 4);
            else
                putCodeword(x, y, 2);
        }
    }
    const int rowPairs = size / 2;
    for (int column = 0; column <= version; ++column) {
        const int x = size - 5 - 4 * column;
        for (int i = 0; i < rowPairs; ++i) {
            const int y = size - 1 - 2 * i - (i >= rowPairs - 3 ? 1 : 0); // over the timing row
            if (column == 0 && i >= rowPairs - 4)
                continue; // upper right finder
            if (i == 0 && column % 2 == 1 && column != version)
                layout.extensions.emplace_back(x - 3, y - 1, 4, 2);
            else
                putCodeword(x, y, 4);
        }
    }
    for (int x : {8, 5, 3, 1})
        for (int i = 0; i < version; ++i)
            putCodeword(x, size - 9 - 4 * i, 2);
    return layout;
}

// ---- matrix ----------------------------------------------------------------------------------

class Matrix {
public:
    explicit Matrix(int size) : m_size(size), m_dark(size_t(size * size), false) {}
    int size() const { return m_size; }
    bool dark(int x, int y) const { return m_dark[index(x, y)]; }
    void set(int x, int y, bool dark) { m_dark[index(x, y)] = dark; }
    void flip(int x, int y) { m_dark[index(x, y)] = !m_dark[index(x, y)]; }
    const std::vector<bool>& modules() const { return m_dark; }

private:
    size_t index(int x, int y) const { return size_t(y * m_size + x); }
    int m_size;
    std::vector<bool> m_dark;
};

void drawFinder(Matrix* m, int left, int top) {
    for (int dy = -1; dy <= 7; ++dy)
        for (int dx = -1; dx <= 7; ++dx) {
            const int x = left + dx, y = top + dy;
            if (x < 0 || y < 0 || x >= m->size() || y >= m->size())
                continue; // the separator stops at the symbol's edge
            const int ring = qMax(qAbs(dx - 3), qAbs(dy - 3));
            m->set(x, y, ring != 2 && ring != 4);
        }
}

void drawFunctionPatterns(Matrix* m, const Layout& layout) {
    const int size = m->size();
    drawFinder(m, 0, 0);
    drawFinder(m, size - 7, 0);
    drawFinder(m, 0, size - 7);
    for (int i = 8; i < size - 8; ++i) {
        m->set(i, 6, i % 2 == 0);
        m->set(6, i, i % 2 == 0);
    }
    m->set(8, size - 8, true);
    // Readers skip the extension patterns; each is marked dark along the symbol's edge.
    for (const QRect& r : layout.extensions)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                m->set(x, y, x == size - 1 || y == size - 1);
}

void drawFormat(Matrix* m, Level level, int mask) {
    const int bits = formatBits(level, mask);
    const int size = m->size();
    auto bit = [bits](int i) { return ((bits >> i) & 1) != 0; };
    for (int i = 0; i < 6; ++i)
        m->set(8, i, bit(i));
    m->set(8, 7, bit(6));
    m->set(8, 8, bit(7));
    m->set(7, 8, bit(8));
    for (int i = 9; i < 15; ++i)
        m->set(14 - i, 8, bit(i));
    for (int i = 0; i < 8; ++i)
        m->set(size - 1 - i, 8, bit(i));
    for (int i = 8; i < 15; ++i)
        m->set(8, size - 15 + i, bit(i));
}

bool maskCovers(int mask, int x, int y) {
    switch (mask) {
    case 0:
        return (x + y) % 2 == 0;
    case 1:
        return y % 2 == 0;
    case 2:
        return x % 3 == 0;
    case 3:
        return (x + y) % 3 == 0;
    case 4:
        return (y / 2 + x / 3) % 2 == 0;
    case 5:
        return (x * y) % 2 + (x * y) % 3 == 0;
    case 6:
        return ((x * y) % 2 + (x * y) % 3) % 2 == 0;
    default:
        return ((x + y) % 2 + (x * y) % 3) % 2 == 0;
    }
}

// ---- mask choice -----------------------------------------------------------------------------

int linePenalty(const Matrix& m, bool rows) {
    const int size = m.size();
    auto at = [&](int line, int i) {
        if (i < 0 || i >= size)
            return false; // the quiet zone is light
        return rows ? m.dark(i, line) : m.dark(line, i);
    };
    int penalty = 0;
    for (int line = 0; line < size; ++line) {
        int run = 1;
        for (int i = 1; i <= size; ++i) {
            if (i < size && at(line, i) == at(line, i - 1)) {
                ++run;
                continue;
            }
            if (run >= 5)
                penalty += 3 + run - 5;
            run = 1;
        }
        // 1:1:3:1:1 dark-light runs with four light modules on one side.
        static constexpr bool kFinderLike[] = {true, false, true, true, true, false, true};
        for (int i = 0; i + 7 <= size; ++i) {
            bool match = true;
            for (int k = 0; k < 7 && match; ++k)
                match = at(line, i + k) == kFinderLike[k];
            if (!match)
                continue;
            const bool lightBefore =
                !at(line, i - 1) && !at(line, i - 2) && !at(line, i - 3) && !at(line, i - 4);
            const bool lightAfter =
                !at(line, i + 7) && !at(line, i + 8) && !at(line, i + 9) && !at(line, i + 10);
            penalty += 40 * (int(lightBefore) + int(lightAfter));
        }
    }
    return penalty;
}

int penalty(const Matrix& m) {
    const int size = m.size();
    int score = linePenalty(m, true) + linePenalty(m, false);
    int dark = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            dark += m.dark(x, y);
            if (x + 1 < size && y + 1 < size && m.dark(x, y) == m.dark(x + 1, y) &&
                m.dark(x, y) == m.dark(x, y + 1) && m.dark(x, y) == m.dark(x + 1, y + 1))
                score += 3;
        }
    const int percent = dark * 100 / (size * size);
    return score + 10 * (std::abs(percent - 50) / 5);
}

} // namespace

int formatBits(Level level, int mask) {
    static constexpr int kLevelBits[] = {1, 0, 3, 2}; // L M Q H
    const int data = kLevelBits[int(level)] << 3 | (mask & 7);
    int remainder = data << 10;
    for (int bit = 14; bit >= 10; --bit)
        if (remainder & (1 << bit))
            remainder ^= 0x537 << (bit - 10);
    return (data << 10 | remainder) ^ 0x2825;
}

namespace {

// All codewords placed, then each mask tried; the symbol with the least penalty wins.
Symbol bestMasked(int version, Level level, const std::vector<quint8>& codewords) {
    const Layout layout = layoutFor(version);
    Q_ASSERT(layout.dataModules.size() >= codewords.size() * 8);
    Matrix unmasked(17 + 4 * version);
    drawFunctionPatterns(&unmasked, layout);
    for (size_t i = 0; i < layout.dataModules.size(); ++i) {
        const QPoint p = layout.dataModules[i];
        // Some H and Q rows leave codewords unused: they stay zero.
        const quint8 codeword = i / 8 < codewords.size() ? codewords[i / 8] : 0;
        unmasked.set(p.x(), p.y(), (codeword >> (7 - i % 8)) & 1);
    }
    Symbol best;
    int bestPenalty = 0;
    for (int mask = 0; mask < 8; ++mask) {
        Matrix m = unmasked;
        for (const QPoint& p : layout.dataModules)
            if (maskCovers(mask, p.x(), p.y()))
                m.flip(p.x(), p.y());
        drawFormat(&m, level, mask);
        const int score = penalty(m);
        if (best.isNull() || score < bestPenalty) {
            best = Symbol{version, mask, m.size(), m.modules()};
            bestPenalty = score;
        }
    }
    return best;
}

} // namespace

Symbol encode(const QByteArray& data, Level level, QString* error) {
    if (data.isEmpty()) {
        *error = QStringLiteral("no data for the QR symbol");
        return {};
    }
    const Mode mode = modeFor(data);
    for (int version = 1; version <= kDrawnVersions; ++version) {
        const Blocks& blocks = blocksFor(version, level);
        const std::vector<quint8> codewords = dataCodewords(data, mode, version, blocks.dataCodewords());
        if (!codewords.empty())
            return bestMasked(version, level, withChecks(codewords, blocks));
    }
    *error = QStringLiteral("data too long for a QR model 1 symbol");
    return {};
}

QImage draw(const Symbol& symbol, int dots) {
    if (symbol.isNull() || dots < 1)
        return QImage();
    QImage image(symbol.size * dots, symbol.size * dots, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (int y = 0; y < symbol.size; ++y)
        for (int x = 0; x < symbol.size; ++x)
            if (symbol.isDark(x, y))
                painter.fillRect(x * dots, y * dots, dots, dots, Qt::black);
    return image;
}

} // namespace virt::QrModel1
