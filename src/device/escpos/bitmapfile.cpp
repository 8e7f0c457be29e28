#include "device/escpos/bitmapfile.h"

#include "device/escpos/bitmapraster.h"
#include "opos/oposconstants.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <climits>
#include <cstdlib>

namespace device {

using namespace opos;

BitmapRefusal BitmapRefusal::illegal(const QString& reason) {
    return {OPOS_E_ILLEGAL, 0, reason};
}
BitmapRefusal BitmapRefusal::missing(const QString& reason) {
    return {OPOS_E_NOEXIST, 0, reason};
}
BitmapRefusal BitmapRefusal::tooBig(const QString& reason) {
    return {OPOS_E_EXTENDED, OPOS_EPTR_TOOBIG, reason};
}
BitmapRefusal BitmapRefusal::badFormat(const QString& reason) {
    return {OPOS_E_EXTENDED, OPOS_EPTR_BADFORMAT, reason};
}

namespace {

// Enough for the largest decoded form of kMaxBitmapPixels (8 bytes a pixel), so only images the
// header check could not see are stopped by the decoder's own allocation limit.
constexpr int kDecoderLimitMb = int(kMaxBitmapPixels * 8 / (1024 * 1024)) + 1;
constexpr qint64 kBmpHeadBytes = 64; // file header and the fields read from the info header

quint32 le32(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}
quint16 le16(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

// libjpeg fills the rows of a cut-off file with grey and reports success. A complete file has its
// end-of-image marker after the last start-of-scan; entropy-coded data never holds FF D9.
bool jpegIsComplete(QIODevice& file) {
    const qint64 position = file.pos();
    file.seek(0);
    const QByteArray bytes = file.readAll();
    file.seek(position);
    const qsizetype lastScan = bytes.lastIndexOf(QByteArrayView("\xFF\xDA"));
    return lastScan >= 0 && bytes.indexOf(QByteArrayView("\xFF\xD9"), lastScan) >= 0;
}

} // namespace

std::optional<BmpHeader> readBmpHeader(const QByteArray& head) {
    constexpr int kFileHeader = 14;
    if (head.size() < kFileHeader + 12 || !head.startsWith("BM"))
        return std::nullopt;
    BmpHeader header;
    header.fileSize = le32(head, 2);
    header.dataOffset = le32(head, 10);
    const quint32 infoSize = le32(head, 14);
    if (infoSize == 12) { // OS/2 core header
        header.width = le16(head, 18);
        header.height = le16(head, 20);
        header.bitCount = le16(head, 24);
    } else if (infoSize >= 40 && head.size() >= kFileHeader + 40) {
        header.width = qint32(le32(head, 18));
        header.height = std::abs(qint64(qint32(le32(head, 22)))); // negative: rows from the top
        header.bitCount = le16(head, 28);
        header.compression = le32(head, 30);
    } else {
        return std::nullopt;
    }
    return header;
}

std::optional<qint64> declaredBmpBytes(const QByteArray& head) {
    const std::optional<BmpHeader> header = readBmpHeader(head);
    if (!header)
        return std::nullopt;
    constexpr quint32 kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    const quint32 compression = header->compression;
    if (compression == kRgb || compression == kBitFields || compression == kAlphaBitFields) {
        // Out-of-range values are left to the decoder to refuse; they must not overflow here.
        if (header->width <= 0 || header->width > (1 << 24) || header->height > (1 << 24) ||
            header->bitCount <= 0 || header->bitCount > 32)
            return std::nullopt;
        // The last row's padding is not needed: some writers leave it out.
        const qint64 stride = (header->width * header->bitCount + 31) / 32 * 4;
        const qint64 lastRow = (header->width * header->bitCount + 7) / 8;
        return header->dataOffset + (header->height > 0 ? stride * (header->height - 1) + lastRow : 0);
    }
    return header->fileSize > 0 ? std::optional<qint64>(header->fileSize) : std::nullopt;
}

std::optional<BitmapRefusal> BitmapFileReader::open(const QString& fileName) {
    m_fileName = fileName;
    if (fileName.isEmpty())
        return BitmapRefusal::missing(QStringLiteral("no file name"));
    const QFileInfo info(fileName);
    if (!info.exists())
        return BitmapRefusal::missing(QStringLiteral("%1 does not exist").arg(fileName));
    if (info.isDir())
        return BitmapRefusal::missing(QStringLiteral("%1 is a folder").arg(fileName));
    // A device or pipe could block the call or never end.
    if (!info.isFile())
        return BitmapRefusal::badFormat(QStringLiteral("%1 is not a regular file").arg(fileName));
    if (info.size() > kMaxBitmapFileBytes)
        return BitmapRefusal::tooBig(QStringLiteral("%1 has %2 bytes, more than %3")
                                         .arg(fileName)
                                         .arg(info.size())
                                         .arg(kMaxBitmapFileBytes));

    m_file.setFileName(fileName);
    if (!m_file.open(QIODevice::ReadOnly))
        return BitmapRefusal::missing(
            QStringLiteral("%1 cannot be opened: %2").arg(fileName, m_file.errorString()));
    // Measured again on the open file: that is the one decoded.
    m_fileSize = m_file.size();
    if (m_fileSize > kMaxBitmapFileBytes)
        return BitmapRefusal::tooBig(
            QStringLiteral("%1 has more than %2 bytes").arg(fileName).arg(kMaxBitmapFileBytes));
    m_head = m_file.peek(kBmpHeadBytes);

    m_reader.setDevice(&m_file);
    m_reader.setAllocationLimit(kDecoderLimitMb);
    m_headerSize = m_reader.size();
    // The decoder gives no size for a BMP header it finds absurd; its own numbers still count.
    const std::optional<BmpHeader> bmp = readBmpHeader(m_head);
    if (!m_headerSize.isValid() && bmp && bmp->width > 0 && bmp->width <= INT_MAX && bmp->height <= INT_MAX)
        m_headerSize = QSize(int(bmp->width), int(bmp->height));
    return std::nullopt;
}

std::optional<BitmapRefusal> BitmapFileReader::decode(QImage& image) {
    if (!m_reader.canRead())
        return BitmapRefusal::badFormat(
            QStringLiteral("%1 is not an image of a known format").arg(m_fileName));
    // Some decoders fill the missing rows of a cut-off file and report success.
    if (m_reader.format() == "bmp") {
        const std::optional<qint64> needed = declaredBmpBytes(m_head);
        if (needed && *needed > m_fileSize)
            return BitmapRefusal::badFormat(
                QStringLiteral("%1 is cut off: %2 of %3 bytes").arg(m_fileName).arg(m_fileSize).arg(*needed));
    }
    if (m_reader.format() == "jpeg" && !jpegIsComplete(m_file))
        return BitmapRefusal::badFormat(
            QStringLiteral("%1 is cut off: no end-of-image marker").arg(m_fileName));
    if (!m_reader.read(&image) || image.isNull())
        return BitmapRefusal::badFormat(
            QStringLiteral("%1 cannot be decoded: %2").arg(m_fileName, m_reader.errorString()));
    return std::nullopt;
}

} // namespace device
