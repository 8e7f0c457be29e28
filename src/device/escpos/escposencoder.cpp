#include "device/escpos/escposencoder.h"

#include <QImage>

#include <algorithm>

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

QByteArray drawerKick(int pin, int onMs, int offMs) {
    // The pulse times are in units of 2 ms; a zero would mean no pulse at all.
    return command({ESC, 'p', char(pin == 5 ? 1 : 0), byteOf(onMs / 2, 1, 255), byteOf(offMs / 2, 1, 255)});
}

QByteArray rasterImage(const QImage& monochrome) {
    if (monochrome.isNull() || monochrome.width() <= 0 || monochrome.height() <= 0)
        return {};
    // A dot is black where the pixel is dark and not transparent.
    const QImage image = monochrome.convertToFormat(QImage::Format_ARGB32);
    const int bytesPerRow = (image.width() + 7) / 8;
    if (bytesPerRow > 0xFFFF)
        return {};
    // Bands of at most 255 rows: some models refuse taller GS v 0 blocks, and a band fits in
    // any receive buffer. The bands join without a gap.
    constexpr int bandRows = 255;
    QByteArray out;
    out.reserve(image.height() * bytesPerRow + (image.height() / bandRows + 1) * 8);
    for (int top = 0; top < image.height(); top += bandRows) {
        const int rows = std::min(bandRows, image.height() - top);
        out += command({GS, 'v', '0', 0});
        appendWord(out, bytesPerRow);
        appendWord(out, rows);
        for (int y = top; y < top + rows; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            QByteArray row(bytesPerRow, '\0');
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(line[x]) >= 128 && qGray(line[x]) < 128)
                    row[x / 8] = char(quint8(row[x / 8]) | (0x80 >> (x % 8)));
            }
            out += row;
        }
    }
    return out;
}

QByteArray rasterHeader(int bytesPerRow, int rows) {
    QByteArray out = command({GS, 'v', '0', 0});
    appendWord(out, bytesPerRow);
    appendWord(out, rows);
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
