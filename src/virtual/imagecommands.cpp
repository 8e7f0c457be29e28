#include "imagecommands.h"

#include "framebytes.h"
#include "virtualprofile.h"
#include "wirelog.h"

namespace virt {

namespace {

QImage scaled(const QImage& image, int sx, int sy) {
    if (sx == 1 && sy == 1)
        return image;
    return image.scaled(image.width() * sx, image.height() * sy, Qt::IgnoreAspectRatio,
                        Qt::FastTransformation);
}

} // namespace

QImage ImageCommands::bitImage(const QByteArray& frame, int offset, int bytesPerRow, int width, int rows,
                               int sx, int sy) const {
    const int visible = qMin(width, (m_printer->profile().widthDots + sx - 1) / sx);
    QImage image(visible, rows, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 0; y < rows; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const char* row = frame.constData() + offset + y * bytesPerRow;
        for (int x = 0; x < visible; ++x)
            if ((static_cast<quint8>(row[x >> 3]) >> (7 - (x & 7))) & 1)
                line[x] = qRgba(0, 0, 0, 255);
    }
    return scaled(image, sx, sy);
}

QImage ImageCommands::raster(const QByteArray& frame) const {
    const int m = selector(u8(frame, 3));
    const int bytesPerRow = u16(frame, 4), rows = u16(frame, 6);
    return bitImage(frame, 8, bytesPerRow, bytesPerRow * 8, rows, (m & 1) ? 2 : 1, (m & 2) ? 2 : 1);
}

QImage ImageCommands::columnImage(const QByteArray& frame) {
    const int m = u8(frame, 2), columns = u16(frame, 3);
    const int dotsPerColumn = (m == 32 || m == 33) ? 24 : 8;
    const int bytesPerColumn = dotsPerColumn / 8;
    QImage image(columns, dotsPerColumn, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int c = 0; c < columns; ++c)
        for (int b = 0; b < bytesPerColumn; ++b) {
            const int value = u8(frame, 5 + c * bytesPerColumn + b);
            for (int bit = 0; bit < 8; ++bit)
                if ((value >> (7 - bit)) & 1)
                    image.setPixel(c, b * 8 + bit, qRgba(0, 0, 0, 255));
        }
    // 8-dot images are a third of the head's vertical density; single density halves the horizontal.
    const int sx = (m == 0 || m == 32) ? 2 : 1;
    const int sy = dotsPerColumn == 8 ? 3 : 1;
    return scaled(image, sx, sy);
}

QImage ImageCommands::graphics(const QByteArray& frame, int header) {
    const int fn = u8(frame, header + 1);
    if (fn == 50 || fn == 2)
        return m_stored;
    if (fn != 112)
        return QImage();
    // a bx by c xL xH yL yH d...
    const int base = header + 2;
    const int bx = u8(frame, base + 1), by = u8(frame, base + 2);
    const int width = u16(frame, base + 4), rows = u16(frame, base + 6);
    const int bytesPerRow = (width + 7) / 8;
    const int data = base + 8;
    // The graphics buffer holds at most 2047 x 1662 dots at normal size (half as many rows when
    // doubled); a printer ignores a larger image rather than allocate it.
    const int maxRows = by == 2 ? 831 : 1662;
    if (width == 0 || rows == 0 || width > 2047 || rows > maxRows ||
        qint64(bytesPerRow) * rows > frame.size() - data) {
        m_printer->wireLog()->addCommand(
            WireLog::Direction::Received, QByteArray(),
            QStringLiteral("graphics of %1 x %2 dots refused").arg(width).arg(rows));
        return QImage();
    }
    m_stored = bitImage(frame, data, bytesPerRow, width, rows, bx == 2 ? 2 : 1, by == 2 ? 2 : 1);
    return QImage();
}

} // namespace virt
