#pragma once

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSize>
#include <QString>

#include <optional>

namespace device {

// Why a bitmap cannot be printed: a result code, its extended code and a sentence for the log.
struct BitmapRefusal {
    qint32 code = 0;
    qint32 extended = 0;
    QString reason;

    static BitmapRefusal illegal(const QString& reason);
    static BitmapRefusal missing(const QString& reason);
    static BitmapRefusal tooBig(const QString& reason);
    static BitmapRefusal badFormat(const QString& reason);
};

// Reads an image file in two steps, so its size can be judged before anything is decoded. The
// decoder reads the open file itself: copying it into memory first costs more than decoding.
class BitmapFileReader {
public:
    // Existence, kind and length of the file, then the size its header declares.
    std::optional<BitmapRefusal> open(const QString& fileName);
    // Pixel size from the header; invalid when the format does not tell before decoding.
    QSize headerSize() const { return m_headerSize; }
    // Format known, a BMP complete, then the pixels.
    std::optional<BitmapRefusal> decode(QImage& image);

private:
    QString m_fileName;
    QFile m_file;
    qint64 m_fileSize = 0;
    QByteArray m_head; // the first bytes, for the BMP headers
    QImageReader m_reader;
    QSize m_headerSize;
};

// What a BMP's own headers say (BITMAPINFOHEADER and later, or the OS/2 core header).
struct BmpHeader {
    qint64 fileSize = 0;
    qint64 dataOffset = 0;
    qint64 width = 0;
    qint64 height = 0; // rows, whichever way they run
    int bitCount = 0;
    quint32 compression = 0;
};
std::optional<BmpHeader> readBmpHeader(const QByteArray& head);

// The bytes a BMP must have for all its rows, from its own headers (its first 64 bytes suffice):
// uncompressed and bit-field BMPs: pixel data offset + rows x stride; run-length ones: the file
// size field. Nullopt when the headers do not say or are not those of a BMP.
std::optional<qint64> declaredBmpBytes(const QByteArray& head);

} // namespace device
