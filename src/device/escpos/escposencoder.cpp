#include "device/escpos/escposencoder.h"

#include <QImage>

#include <algorithm>
#include <cstring>

namespace device::EscPos {

namespace {

constexpr char ESC = 0x1B;
constexpr char GS = 0x1D;
constexpr char DLE = 0x10;

char byteOf(int value, int low = 0, int high = 255) {
    return char(quint8(std::clamp(value, low, high)));
}

QByteArray command(std::initializer_list<char> bytes) {
    return QByteArray(bytes.begin(), qsizetype(bytes.size()));
}

// One command carries at most 255; more are sent as several.
QByteArray splitFeed(char letter, int n) {
    QByteArray out;
    n = std::max(n, 0);
    do {
        const int part = std::min(n, 255);
        out += command({ESC, letter, byteOf(part)});
        n -= part;
    } while (n > 0);
    return out;
}

void appendWord(QByteArray& out, int value) {
    const int v = std::clamp(value, 0, 0xFFFF);
    out += char(v & 0xFF);
    out += char(v >> 8);
}

// Rows per GS v 0 band: yH stays 0 for models that read only one byte of rows, and a band of a
// full 80 mm line (72 x 255 bytes) fits the image buffer of common models. Bands join without a gap.
constexpr int kRasterBandRows = 255;
// Largest graphics piece one GS 8 L fn 112 takes at scale 1.
constexpr int kGraphicsMaxWidth = 2047;
constexpr int kGraphicsMaxRows = 1662;

// The rows are copied as they are when index 1 is black; a table the other way round is inverted.
QImage blackAsOne(const QImage& dots) {
    QImage source = dots;
    if (dots.colorCount() >= 2 && qGray(dots.color(1)) > qGray(dots.color(0)))
        source.invertPixels();
    return source;
}

// One raster row: offsetBits white dots, then the image row, white to the end of the last byte.
void appendShiftedRow(QByteArray& out, const uchar* row, int widthBits, int offsetBits, int outBytes) {
    const qsizetype start = out.size();
    out.resize(start + outBytes);
    uchar* dst = reinterpret_cast<uchar*>(out.data()) + start;
    std::memset(dst, 0, size_t(outBytes));
    const int inBytes = (widthBits + 7) / 8;
    const int skipBytes = offsetBits / 8;
    const int shift = offsetBits % 8;
    // Bits past the image width in its last byte must stay white.
    const uchar lastMask = uchar(0xFF << ((8 - widthBits % 8) % 8));
    for (int i = 0; i < inBytes; ++i) {
        const uchar b = i == inBytes - 1 ? uchar(row[i] & lastMask) : row[i];
        dst[skipBytes + i] |= uchar(b >> shift);
        if (shift != 0 && skipBytes + i + 1 < outBytes)
            dst[skipBytes + i + 1] |= uchar(b << (8 - shift));
    }
}

} // namespace

QByteArray initialize() {
    return command({ESC, '@'});
}
QByteArray selectCharacterTable(int n) {
    return command({ESC, 't', byteOf(n)});
}
QByteArray lineFeed() {
    return command({'\n'});
}
QByteArray feedLines(int n) {
    return splitFeed('d', n);
}
QByteArray feedDots(int n) {
    return splitFeed('J', n);
}
QByteArray reverseFeedLines(int n) {
    return command({ESC, 'e', byteOf(n)});
}

QByteArray cut(bool full, int feedDots) {
    return command({GS, 'V', char(full ? 65 : 66), byteOf(feedDots)});
}

QByteArray cutHere(bool full) {
    return command({GS, 'V', char(full ? 0 : 1)});
}
QByteArray bold(bool on) {
    return command({ESC, 'E', char(on ? 1 : 0)});
}
QByteArray underline(int dots) {
    return command({ESC, '-', byteOf(dots, 0, 2)});
}
QByteArray font(int n) {
    return command({ESC, 'M', byteOf(n)});
}
QByteArray printColour(int n) {
    return command({ESC, 'r', byteOf(n, 0, 1)});
}
QByteArray reverse(bool on) {
    return command({GS, 'B', char(on ? 1 : 0)});
}

QByteArray characterSize(int widthMul, int heightMul) {
    const int w = std::clamp(widthMul, 1, 8) - 1;
    const int h = std::clamp(heightMul, 1, 8) - 1;
    return command({GS, '!', char((w << 4) | h)});
}

QByteArray justify(int n) {
    return command({ESC, 'a', byteOf(n, 0, 2)});
}
QByteArray upsideDown(bool on) {
    return command({ESC, '{', char(on ? 1 : 0)});
}
QByteArray pageMode() {
    return command({ESC, 'L'});
}

QByteArray pageArea(int x, int y, int dx, int dy) {
    QByteArray out = command({ESC, 'W'});
    for (int v : {x, y, dx, dy})
        appendWord(out, v);
    return out;
}

QByteArray pageDirection(int n) {
    return command({ESC, 'T', byteOf(n, 0, 3)});
}
QByteArray printPage() {
    return command({0x0C});
}
QByteArray standardMode() {
    return command({ESC, 'S'});
}
QByteArray enableAutomaticStatus(quint8 mask) {
    return command({GS, 'a', char(mask)});
}
QByteArray realtimeStatus(int n) {
    return command({DLE, 0x04, byteOf(n, 1, 4)});
}
QByteArray transmitStatus(int n) {
    return command({GS, 'r', byteOf(n)});
}
QByteArray printerInformation(int n) {
    return command({GS, 'I', byteOf(n)});
}
QByteArray processId(const QByteArray& fourChars) {
    Q_ASSERT(fourChars.size() == 4);
    return command({GS, '(', 'H', 0x06, 0x00, 0x30, 0x30}) + fourChars.left(4);
}
QByteArray clearBuffers() {
    return QByteArray::fromHex("10140801031401060208");
}

QByteArray drawerKick(int pin, int onMs, int offMs) {
    // The pulse times are in units of 2 ms; a zero would mean no pulse at all.
    return command({ESC, 'p', char(pin == 5 ? 1 : 0), byteOf(onMs / 2, 1, 255), byteOf(offMs / 2, 1, 255)});
}

QByteArray rasterImage(const QImage& monochrome) {
    if (monochrome.isNull())
        return {};
    // A dot is black where the pixel is dark and not transparent.
    const QImage image = monochrome.convertToFormat(QImage::Format_ARGB32);
    QImage dots(image.size(), QImage::Format_Mono);
    dots.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    dots.fill(0);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* row = dots.scanLine(y);
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) >= 128 && qGray(line[x]) < 128)
                row[x / 8] |= uchar(0x80 >> (x % 8));
    }
    return rasterBands(dots);
}

QByteArray rasterBands(const QImage& dots, int offsetBits) {
    if (dots.isNull() || dots.format() != QImage::Format_Mono || offsetBits < 0)
        return {};
    const int bytesPerRow = (offsetBits + dots.width() + 7) / 8;
    if (bytesPerRow > 0xFFFF)
        return {};
    const QImage source = blackAsOne(dots);
    QByteArray out;
    out.reserve(qsizetype(bytesPerRow) * dots.height() + (dots.height() / kRasterBandRows + 1) * 8);
    for (int top = 0; top < dots.height(); top += kRasterBandRows) {
        const int rows = std::min(kRasterBandRows, dots.height() - top);
        out += command({GS, 'v', '0', 0});
        appendWord(out, bytesPerRow);
        appendWord(out, rows);
        for (int y = top; y < top + rows; ++y)
            appendShiftedRow(out, source.constScanLine(y), dots.width(), offsetBits, bytesPerRow);
    }
    return out;
}

QByteArray graphics(const QImage& dots) {
    if (dots.isNull() || dots.format() != QImage::Format_Mono || dots.width() > kGraphicsMaxWidth)
        return {};
    const QImage source = blackAsOne(dots);
    const int bytesPerRow = (dots.width() + 7) / 8;
    QByteArray out;
    for (int top = 0; top < dots.height(); top += kGraphicsMaxRows) {
        const int rows = std::min(kGraphicsMaxRows, dots.height() - top);
        const quint32 length = 10 + quint32(bytesPerRow) * quint32(rows);
        // GS 8 L p1..p4 m fn a bx by c xL xH yL yH: raster, scale 1 x 1, colour 1.
        out += command({GS, '8', 'L', char(length & 0xFF), char((length >> 8) & 0xFF),
                        char((length >> 16) & 0xFF), char(length >> 24), 0x30, 0x70, 0x30, 0x01, 0x01, 0x31});
        appendWord(out, dots.width());
        appendWord(out, rows);
        for (int y = top; y < top + rows; ++y)
            appendShiftedRow(out, source.constScanLine(y), dots.width(), 0, bytesPerRow);
        out += command({GS, '(', 'L', 0x02, 0x00, 0x30, 0x32}); // fn 50: print the stored graphics
    }
    return out;
}

QByteArray barcodeSetup(int heightDots, int moduleWidth, int hriPosition) {
    return command({GS, 'h', byteOf(heightDots, 1, 255), GS, 'w', byteOf(moduleWidth, 1, 6), GS, 'H',
                    byteOf(hriPosition, 0, 3)});
}

QByteArray barcode(int gsKType, const QByteArray& data) {
    // Function B carries the length in one byte. Cut data would be a different symbol, so data
    // that does not fit gives no command at all.
    if (data.isEmpty() || data.size() > 255)
        return QByteArray();
    return command({GS, 'k', byteOf(gsKType), char(data.size())}) + data;
}

QByteArray absolutePosition(int dots) {
    QByteArray out = command({ESC, '$'});
    appendWord(out, dots);
    return out;
}
QByteArray lineSpacing(int dots) {
    return QByteArray("\x1B\x33", 2) + static_cast<char>(qBound(1, dots, 255));
}

QByteArray leftMargin(int dots) {
    QByteArray out = command({GS, 'L'});
    appendWord(out, dots);
    return out;
}

QByteArray symbolFunction(int cn, int fn, const QByteArray& parameters) {
    QByteArray out = command({GS, '(', 'k'});
    appendWord(out, int(parameters.size()) + 2);
    out += byteOf(cn);
    out += byteOf(fn);
    return out + parameters;
}

} // namespace device::EscPos
