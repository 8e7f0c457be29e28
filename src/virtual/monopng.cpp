#include "monopng.h"

#include <QtEndian>

#include <zlib.h>

namespace virt {

namespace {

void appendChunk(QByteArray& png, const char* type, const QByteArray& data) {
    const quint32 length = qToBigEndian(quint32(data.size()));
    png.append(reinterpret_cast<const char*>(&length), 4);
    const qsizetype start = png.size();
    png.append(type, 4);
    png.append(data);
    const quint32 crc = qToBigEndian(
        quint32(crc32(0, reinterpret_cast<const Bytef*>(png.constData() + start), uInt(png.size() - start))));
    png.append(reinterpret_cast<const char*>(&crc), 4);
}

QByteArray bigEndian(quint32 value) {
    const quint32 big = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char*>(&big), 4);
}

// Every row behind a filter byte of 0 (none), deflated with run-length matches only.
QByteArray imageData(const QImage& image) {
    const qsizetype rowBytes = (image.width() + 7) / 8;
    z_stream stream{};
    if (deflateInit2(&stream, 6, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK)
        return QByteArray();
    QByteArray out;
    out.resize(qsizetype(deflateBound(&stream, uLong((rowBytes + 1) * image.height()))));
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    QByteArray row(rowBytes + 1, '\0');
    bool ok = true;
    for (int y = 0; y < image.height() && ok; ++y) {
        std::memcpy(row.data() + 1, image.constScanLine(y), size_t(rowBytes));
        stream.next_in = reinterpret_cast<Bytef*>(row.data());
        stream.avail_in = uInt(row.size());
        ok = deflate(&stream, y + 1 == image.height() ? Z_FINISH : Z_NO_FLUSH) != Z_STREAM_ERROR;
    }
    ok = ok && stream.avail_in == 0;
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return ok ? out : QByteArray();
}

} // namespace

QByteArray monoPng(const QImage& image) {
    if (image.format() != QImage::Format_Mono || image.colorCount() != 2 || image.isNull())
        return QByteArray();
    const QByteArray data = imageData(image);
    if (data.isEmpty())
        return QByteArray();
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    // Width, height, one bit a pixel, palette colours, deflate, no filters, no interlace.
    appendChunk(png, "IHDR",
                bigEndian(quint32(image.width())) + bigEndian(quint32(image.height())) +
                    QByteArray::fromHex("0103000000"));
    QByteArray palette;
    for (const QRgb colour : image.colorTable())
        palette += char(qRed(colour)) + QByteArray(1, char(qGreen(colour))) + char(qBlue(colour));
    appendChunk(png, "PLTE", palette);
    appendChunk(png, "IDAT", data);
    appendChunk(png, "IEND", QByteArray());
    return png;
}

} // namespace virt
