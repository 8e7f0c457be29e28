#pragma once

// Reads bar codes off printed paper with the scanners installed on the machine, for tests:
// zbarimg for the linear codes and QR, zxing-cpp (through the system Python) for PDF417 and
// whatever zbar cannot read. Every call is bounded in time; a missing scanner gives no results, so
// tests check zbarAvailable() / zxingAvailable() first and skip with a message.

#include <QByteArray>
#include <QDebug>
#include <QFile>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

struct ScannedCode {
    QString type;    // as zbarimg names it: "EAN-13", "CODE-128", "I2/5", "DataBar", "PDF417", ...
    QByteArray data; // the decoded bytes (text as UTF-8 when the scanner converted a character set)
};

namespace barcodescan {

constexpr int kTimeoutMs = 30000;
constexpr int kQuietZone = 80; // dots of white around the paper, wider than any symbol's quiet zone

inline const QString& python() {
    static const QString path = QStringLiteral("/usr/bin/python3");
    return path;
}

// The paper on white without alpha, with a quiet zone all round.
inline QImage onWhite(const QImage& paper) {
    QImage out(paper.width() + 2 * kQuietZone, paper.height() + 2 * kQuietZone, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter(&out).drawImage(kQuietZone, kQuietZone, paper);
    return out;
}

// Runs a program to its end; empty output (and a warning) on failure or time-out.
inline QByteArray run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(kTimeoutMs)) {
        qWarning() << program << "did not start";
        return QByteArray();
    }
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        qWarning() << program << "timed out";
        return QByteArray();
    }
    return process.readAllStandardOutput();
}

// zbarimg's XML: plain data as UTF-8 text, anything else as base64. Read without an XML parser,
// which would turn a CR in the data into LF.
inline QList<ScannedCode> parseZbarXml(const QByteArray& xml) {
    static const QByteArray typeAttribute = "<symbol type='", cdata = "<![CDATA[", cdataEnd = "]]></data>";
    QList<ScannedCode> codes;
    for (qsizetype at = xml.indexOf(typeAttribute); at >= 0; at = xml.indexOf(typeAttribute, at)) {
        at += typeAttribute.size();
        const QString type = QString::fromLatin1(xml.mid(at, xml.indexOf('\'', at) - at));
        const qsizetype data = xml.indexOf("<data", at), begin = xml.indexOf(cdata, at);
        const qsizetype end = begin < 0 ? -1 : xml.indexOf(cdataEnd, begin);
        if (data < 0 || end < 0)
            break;
        const bool base64 = xml.mid(data, begin - data).contains("format='base64'");
        const QByteArray content = xml.mid(begin + cdata.size(), end - begin - cdata.size());
        codes.append({type, base64 ? QByteArray::fromBase64(content.trimmed()) : content});
        at = end;
    }
    return codes;
}

inline QString zbarName(const QString& zxingFormat) {
    static const QList<QPair<QString, QString>> names = {
        {QStringLiteral("EAN13"), QStringLiteral("EAN-13")},
        {QStringLiteral("EAN8"), QStringLiteral("EAN-8")},
        {QStringLiteral("UPCA"), QStringLiteral("UPC-A")},
        {QStringLiteral("UPCE"), QStringLiteral("UPC-E")},
        {QStringLiteral("Code39"), QStringLiteral("CODE-39")},
        {QStringLiteral("Code93"), QStringLiteral("CODE-93")},
        {QStringLiteral("Code128"), QStringLiteral("CODE-128")},
        {QStringLiteral("Codabar"), QStringLiteral("Codabar")},
        {QStringLiteral("ITF"), QStringLiteral("I2/5")},
        {QStringLiteral("DataBar"), QStringLiteral("DataBar")},
        {QStringLiteral("DataBarExpanded"), QStringLiteral("DataBar-Exp")},
        {QStringLiteral("QRCode"), QStringLiteral("QR-Code")},
    };
    for (const auto& [zxing, zbar] : names)
        if (zxing == zxingFormat)
            return zbar;
    return zxingFormat;
}

// Reads a raw 8-bit grey file and prints one "format<TAB>hex of the bytes" line per symbol.
inline const char* zxingScript() {
    return "import sys, numpy, zxingcpp\n"
           "w, h = int(sys.argv[2]), int(sys.argv[3])\n"
           "img = numpy.fromfile(sys.argv[1], dtype=numpy.uint8).reshape(h, w)\n"
           "for r in zxingcpp.read_barcodes(img, try_rotate=False):\n"
           "    binary = r.content_type in (zxingcpp.ContentType.Binary, zxingcpp.ContentType.Mixed)\n"
           "    data = bytes(r.bytes) if binary else r.text.encode('utf-8')\n"
           "    print(r.format.name + '\\t' + data.hex())\n";
}

} // namespace barcodescan

inline bool zbarAvailable() {
    return !QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty();
}

inline QList<ScannedCode> scanWithZbar(const QImage& paper) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("paper.png"));
    if (!dir.isValid() || !barcodescan::onWhite(paper).save(file))
        return {};
    // UPC-A and UPC-E as themselves, not as the EAN-13 numbers they stand for.
    return barcodescan::parseZbarXml(barcodescan::run(
        QStringLiteral("zbarimg"), {QStringLiteral("-q"), QStringLiteral("--nodbus"), QStringLiteral("--xml"),
                                    QStringLiteral("-Supca.enable"), QStringLiteral("-Supce.enable"), file}));
}

inline bool zxingAvailable() {
    static const bool available = [] {
        QProcess probe;
        probe.start(barcodescan::python(), {QStringLiteral("-c"), QStringLiteral("import numpy, zxingcpp")});
        return probe.waitForFinished(barcodescan::kTimeoutMs) && probe.exitStatus() == QProcess::NormalExit &&
               probe.exitCode() == 0;
    }();
    return available;
}

inline QList<ScannedCode> scanWithZxing(const QImage& paper) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("paper.gray"));
    const QImage grey = barcodescan::onWhite(paper).convertToFormat(QImage::Format_Grayscale8);
    QByteArray pixels;
    pixels.reserve(qsizetype(grey.width()) * grey.height());
    for (int y = 0; y < grey.height(); ++y)
        pixels.append(reinterpret_cast<const char*>(grey.constScanLine(y)), grey.width());
    QFile out(file);
    if (!dir.isValid() || !out.open(QIODevice::WriteOnly) || out.write(pixels) != pixels.size())
        return {};
    out.close();
    const QByteArray lines = barcodescan::run(
        barcodescan::python(), {QStringLiteral("-c"), QString::fromLatin1(barcodescan::zxingScript()), file,
                                QString::number(grey.width()), QString::number(grey.height())});
    QList<ScannedCode> codes;
    for (const QByteArray& line : lines.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0)
            codes.append({barcodescan::zbarName(QString::fromLatin1(line.left(tab))),
                          QByteArray::fromHex(line.mid(tab + 1).trimmed())});
    }
    return codes;
}
