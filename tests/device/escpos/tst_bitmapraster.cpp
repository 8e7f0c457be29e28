#include "device/escpos/bitmapraster.h"
#include "device/escpos/escposencoder.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace device;
using namespace opos;

namespace {

// 37 x 11: not a whole number of bytes wide, no symmetry that would hide a flipped axis.
constexpr int kPatternWidth = 37;
constexpr int kPatternHeight = 11;
bool pattern(int x, int y) {
    return (x / 3 + y / 2) % 2 == 0 || x == y || (y == 0 && x > 30);
}

struct BmpLayout {
    int bits = 24;
    bool topDown = false;
    bool reversedPalette = false; // index 0 black, 1 white
    int declaredWidth = 0;        // 0: the real width
    int declaredHeight = 0;
};

// A minimal BMP writer (BITMAPINFOHEADER, uncompressed) for depths Qt does not write itself. The
// palettes put black and white at unusual indices, with greys elsewhere, so a wrong lookup shows.
QByteArray bmpBytes(int width, int height, const BmpLayout& layout,
                    const std::function<bool(int x, int y)>& black = pattern) {
    const int colours = layout.bits <= 8 ? 1 << layout.bits : 0;
    const int stride = (width * layout.bits + 31) / 32 * 4;
    const int offset = 14 + 40 + colours * 4;
    const int ink = layout.bits == 8 ? 200 : layout.bits == 4 ? 3 : layout.reversedPalette ? 0 : 1;
    const int paper = layout.bits == 8 ? 17 : layout.bits == 4 ? 12 : 1 - ink;
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s.writeRawData("BM", 2);
    s << quint32(offset + stride * height) << quint32(0) << quint32(offset);
    const int declaredHeight = layout.declaredHeight ? layout.declaredHeight : height;
    s << quint32(40) << qint32(layout.declaredWidth ? layout.declaredWidth : width)
      << qint32(layout.topDown ? -declaredHeight : declaredHeight) << quint16(1) << quint16(layout.bits)
      << quint32(0) << quint32(stride * height) << qint32(2835) << qint32(2835) << quint32(colours)
      << quint32(0);
    for (int i = 0; i < colours; ++i) {
        const quint8 level = i == ink ? 0 : i == paper ? 255 : 128;
        s << level << level << level << quint8(0);
    }
    for (int row = 0; row < height; ++row) {
        const int y = layout.topDown ? row : height - 1 - row;
        QByteArray line(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const int bytes = layout.bits / 8, bitPos = x * layout.bits;
            if (bytes >= 3) // blue, green, red (, alpha)
                line.replace(x * bytes, bytes,
                             (QByteArray(3, black(x, y) ? 0 : char(255)) + char(255)).left(bytes));
            else
                line[bitPos / 8] = char(quint8(line[bitPos / 8]) |
                                        ((black(x, y) ? ink : paper) << (8 - layout.bits - bitPos % 8)));
        }
        s.writeRawData(line.constData(), int(line.size()));
    }
    return out;
}

// Paper is transparent where the format has alpha, else white.
QImage patternImage(QImage::Format format, int width = kPatternWidth, int height = kPatternHeight) {
    QImage image(width, height, QImage::Format_ARGB32);
    const bool alpha = QImage(1, 1, format).hasAlphaChannel();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           pattern(x, y) ? qRgba(0, 0, 0, 255)
                           : alpha       ? qRgba(0, 0, 0, 0)
                                         : qRgb(255, 255, 255));
    return image.convertToFormat(format);
}

QImage filled(QImage::Format format, QRgb colour) {
    QImage image(64, 64, format);
    image.fill(colour);
    return image;
}

double blackShare(const QImage& dots) {
    int count = 0;
    for (int y = 0; y < dots.height(); ++y)
        for (int x = 0; x < dots.width(); ++x)
            count += dots.pixelIndex(x, y);
    return double(count) / (dots.width() * dots.height());
}

// Compares each dot with the pattern at the source pixel it came from.
int mismatches(const QImage& dots, int scale = 1) {
    int wrong = 0;
    for (int y = 0; y < dots.height(); ++y)
        for (int x = 0; x < dots.width(); ++x)
            wrong += (dots.pixelIndex(x, y) == 1) != pattern(x / scale, y / scale);
    return wrong;
}

} // namespace

class TestBitmapRaster : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void readsOrRefuses_data();
    void readsOrRefuses();
    void blackAndWhiteStaysBitExact_data();
    void blackAndWhiteStaysBitExact();
    void dithersGreysToTheirShare_data();
    void dithersGreysToTheirShare();
    void placesTheRasterExactly_data();
    void placesTheRasterExactly();
    void splitsTallRastersIntoBands_data();
    void splitsTallRastersIntoBands();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    PrinterProfile m_profile = *PrinterProfile::byId(QStringLiteral("80mm"));
    QTemporaryDir m_dir;
};

void TestBitmapRaster::initTestCase() {
    QVERIFY(m_dir.isValid());
    for (int bits : {1, 4, 8, 32})
        write(QStringLiteral("pattern%1.bmp").arg(bits), bmpBytes(kPatternWidth, kPatternHeight, {bits}));
    write("reversed1.bmp", bmpBytes(kPatternWidth, kPatternHeight, {1, false, true}));
    write("topdown8.bmp", bmpBytes(kPatternWidth, kPatternHeight, {8, true}));
    QVERIFY(patternImage(QImage::Format_RGB32).save(path("pattern24.bmp"), "BMP"));
    QVERIFY(patternImage(QImage::Format_ARGB32).save(path("pattern.png"), "PNG"));
    QByteArray cut = bmpBytes(200, 120, {24});
    write("cut24.bmp", cut.left(cut.size() - 3000));
    cut = bmpBytes(kPatternWidth, kPatternHeight, {1});
    write("cut1.bmp", cut.left(cut.size() / 2));
    write("unpadded1.bmp", cut.left(cut.size() - 3)); // the last row's padding left out
    if (QImageReader::supportedImageFormats().contains("jpeg")) {
        QVERIFY(patternImage(QImage::Format_RGB32, 300, 300).save(path("full.jpg"), "JPEG"));
        QFile jpeg(path("full.jpg"));
        QVERIFY(jpeg.open(QIODevice::ReadOnly));
        write("cut.jpg", jpeg.readAll().chopped(200));
    }
    QByteArray noise(4096, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    write("noise.bin", noise);
    write("text.bmp", "Not a picture, just some words.\n");
    write("empty.bmp", {});
    QVERIFY(QDir(m_dir.path()).mkdir("folder"));
    write("wide.bmp", bmpBytes(577, 2, {1}));
    write("tall.bmp", bmpBytes(10, 1000, {1}));
    // Headers that promise far more than the file holds: refused before anything is allocated.
    write("huge-header.bmp", bmpBytes(8, 8, {1, false, false, 100000, 100000}));
    write("tall-header.bmp", bmpBytes(8, 8, {1, false, false, 576, 9000}));
    QFile big(path("big.bmp")); // sparse: costs no disk, must never be read
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(kMaxBitmapFileBytes + 1));
}

void TestBitmapRaster::readsOrRefuses_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("extended");
    QTest::addColumn<QSize>("dots"); // 0 x 0 when refused; the pattern's size: must match it dot for dot
    const int ok = OPOS_SUCCESS, illegal = OPOS_E_ILLEGAL, missing = OPOS_E_NOEXIST, ext = OPOS_E_EXTENDED;
    const int big = OPOS_EPTR_TOOBIG, bad = OPOS_EPTR_BADFORMAT, asis = PTR_BM_ASIS;
    auto row = [](const char* name, const char* file, int width, int alignment, int code, int extended,
                  QSize dots = {0, 0}) {
        QTest::newRow(name) << QString::fromLatin1(file) << width << alignment << code << extended << dots;
    };
    const QSize asDrawn(kPatternWidth, kPatternHeight);
    for (const char* file : {"pattern1.bmp", "reversed1.bmp", "pattern4.bmp", "pattern8.bmp", "topdown8.bmp",
                             "pattern24.bmp", "pattern32.bmp", "pattern.png", "unpadded1.bmp"})
        row(file, file, asis, -1, ok, 0, asDrawn);
    row("width 0", "pattern1.bmp", 0, -1, illegal, 0);
    row("width -12", "pattern1.bmp", -12, -1, illegal, 0);
    row("alignment -4", "pattern1.bmp", asis, -4, illegal, 0);
    row("alignment as-is value", "pattern1.bmp", asis, asis, illegal, 0);
    row("arguments before the file", "nothing.bmp", 0, -1, illegal, 0);
    row("missing file", "nothing.bmp", asis, -1, missing, 0);
    row("empty name", "", asis, -1, missing, 0);
    row("directory", "folder", asis, -1, missing, 0);
    row("device file", "/dev/null", asis, -1, ext, bad);
    row("empty file", "empty.bmp", asis, -1, ext, bad);
    row("random bytes", "noise.bin", asis, -1, ext, bad);
    row("text file", "text.bmp", asis, -1, ext, bad);
    row("cut-off 24-bit bmp", "cut24.bmp", asis, -1, ext, bad);
    row("cut-off 1-bit bmp", "cut1.bmp", asis, -1, ext, bad);
    row("cut-off jpeg", "cut.jpg", asis, -1, ext, bad);
    row("whole jpeg", "full.jpg", asis, -1, ok, 0, {300, 300});
    row("file over 32 MB", "big.bmp", asis, -1, ext, big);
    row("header of 10^10 pixels", "huge-header.bmp", 100, -1, ext, big);
    row("header 9000 dots tall", "tall-header.bmp", asis, -1, ext, big);
    row("577 dots at as-is", "wide.bmp", asis, -1, ext, big);
    row("577 dots scaled to fit", "wide.bmp", 576, -1, ok, 0, {576, 2});
    row("scaled keeps the aspect", "pattern1.bmp", 74, -2, ok, 0, {74, 22});
    row("scaled height rounds", "pattern1.bmp", 20, -3, ok, 0, {20, 6});
    row("scaled height at least 1", "wide.bmp", 100, -1, ok, 0, {100, 1});
    row("scaled wider than the line", "pattern1.bmp", 577, -1, ext, big);
    row("scaled to 10000 dots tall", "tall.bmp", 100, -1, ext, big);
    row("distance to the right edge", "pattern1.bmp", asis, 576 - kPatternWidth, ok, 0, asDrawn);
    row("distance past the right edge", "pattern1.bmp", asis, 577 - kPatternWidth, ext, big);
    row("scaled past the right edge", "pattern1.bmp", 100, 477, ext, big);
}

void TestBitmapRaster::readsOrRefuses() {
    QFETCH(QString, file);
    QFETCH(int, width);
    QFETCH(int, alignment);
    QFETCH(int, code);
    QFETCH(int, extended);
    QFETCH(QSize, dots);
    if (file.endsWith(".jpg") && !QImageReader::supportedImageFormats().contains("jpeg"))
        QSKIP("no JPEG plug-in");
    const QString name = file.isEmpty() || file.startsWith('/') ? file : path(file);
    const PreparedBitmap bitmap = prepareBitmap({name, width, alignment}, m_profile);
    QCOMPARE(bitmap.code, code);
    QCOMPARE(bitmap.extended, extended);
    QCOMPARE(bitmap.dots.size(), dots);
    QCOMPARE(bitmap.reason.isEmpty(), code == OPOS_SUCCESS);
    if (dots == QSize(kPatternWidth, kPatternHeight)) // every depth and layout comes out bit-exact
        QCOMPARE(mismatches(bitmap.dots), 0);
}

void TestBitmapRaster::blackAndWhiteStaysBitExact_data() {
    QTest::addColumn<QImage>("image");
    QTest::newRow("transparent and opaque") << patternImage(QImage::Format_ARGB32);
    QTest::newRow("premultiplied") << patternImage(QImage::Format_ARGB32_Premultiplied);
    QTest::newRow("grayscale") << patternImage(QImage::Format_Grayscale8);
    QTest::newRow("mono, black first") << patternImage(QImage::Format_Mono);
    QTest::newRow("mono lsb") << patternImage(QImage::Format_MonoLSB);
    QTest::newRow("rgb888") << patternImage(QImage::Format_RGB888);
}

void TestBitmapRaster::blackAndWhiteStaysBitExact() {
    QFETCH(QImage, image);
    const QImage dots = toPrinterDots(image, PTR_BM_ASIS);
    QCOMPARE(dots.format(), QImage::Format_Mono);
    QCOMPARE(mismatches(dots), 0);
    // Scaled, it stays crisp: every dot is its nearest source pixel, no grey edges dithered.
    QCOMPARE(mismatches(toPrinterDots(image, 2 * kPatternWidth), 2), 0);
    const QImage nearest = patternImage(QImage::Format_RGB32).scaled(55, 16, Qt::IgnoreAspectRatio);
    const QImage scaled = toPrinterDots(image, 55);
    QCOMPARE(scaled.size(), nearest.size());
    for (int y = 0; y < nearest.height(); ++y)
        for (int x = 0; x < nearest.width(); ++x)
            QCOMPARE(scaled.pixelIndex(x, y), qGray(nearest.pixel(x, y)) < 128 ? 1 : 0);
}

void TestBitmapRaster::dithersGreysToTheirShare_data() {
    QTest::addColumn<QImage>("image");
    QTest::addColumn<double>("least");
    QTest::addColumn<double>("most");
    QTest::addColumn<int>("width");
    auto row = [](const char* name, const QImage& image, double least, double most, int width = PTR_BM_ASIS) {
        QTest::newRow(name) << image << least << most << width;
    };
    const QImage grey = filled(QImage::Format_Grayscale8, qRgb(128, 128, 128));
    const QImage red = filled(QImage::Format_RGB32, qRgb(255, 0, 0));
    row("50% grey", grey, 0.4, 0.6);
    row("50% grey scaled up", grey, 0.4, 0.6, 150);
    row("25% grey", filled(QImage::Format_Grayscale8, qRgb(191, 191, 191)), 0.2, 0.3);
    row("nearly white", filled(QImage::Format_RGB32, qRgb(250, 250, 250)), 0.0, 0.05);
    row("red", red, 0.55, 0.8);
    row("red scaled down", red, 0.55, 0.8, 40);
    row("black half transparent", filled(QImage::Format_ARGB32, qRgba(0, 0, 0, 128)), 0.4, 0.6);
    row("black fully transparent", filled(QImage::Format_ARGB32, qRgba(0, 0, 0, 0)), 0.0, 0.0);
    QImage indexed(64, 64, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(255, 255, 255), qRgb(128, 128, 128)});
    indexed.fill(1);
    row("palette grey", indexed, 0.4, 0.6);
}

void TestBitmapRaster::dithersGreysToTheirShare() {
    QFETCH(QImage, image);
    QFETCH(double, least);
    QFETCH(double, most);
    QFETCH(int, width);
    const double share = blackShare(toPrinterDots(image, width));
    QVERIFY2(share >= least && share <= most, qPrintable(QString::number(share)));
}

void TestBitmapRaster::placesTheRasterExactly_data() {
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("leftDots");
    QTest::addColumn<QByteArray>("bytes");
    // A 10 x 2 picture: row 0 has its two end dots, row 1 is all black. The printer centres or
    // right-aligns 16 dots; the shift inside them lands the picture on leftDots.
    auto row = [](const char* name, int alignment, int left, const char* hex) {
        QTest::newRow(name) << alignment << left << QByteArray::fromHex(hex);
    };
    row("left", PTR_BM_LEFT, 0, "1b6100 1d7630000200 0200 8040 ffc0 1b6100");
    row("centre", PTR_BM_CENTER, 283, "1b6101 1d7630000200 0200 1008 1ff8 1b6100");
    row("right", PTR_BM_RIGHT, 566, "1b6102 1d7630000200 0200 0201 03ff 1b6100");
    row("5 dots in", 5, 5, "1b6100 1d7630000200 0200 0402 07fe 1b6100");
    row("20 dots in", 20, 20, "1b6100 1d7630000400 0200 00000804 00000ffc 1b6100");
}

void TestBitmapRaster::placesTheRasterExactly() {
    QFETCH(int, alignment);
    QFETCH(int, leftDots);
    QFETCH(QByteArray, bytes);
    write("ten.bmp", bmpBytes(10, 2, {1}, [](int x, int y) { return y == 1 || x == 0 || x == 9; }));
    const PreparedBitmap bitmap = prepareBitmap({path("ten.bmp"), PTR_BM_ASIS, alignment}, m_profile);
    QCOMPARE(bitmap.leftDots, leftDots);
    QCOMPARE(bitmap.standardModeBytes().toHex(' '), bytes.toHex(' '));
}

void TestBitmapRaster::splitsTallRastersIntoBands_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<QList<int>>("bands");
    QTest::newRow("one band") << 255 << QList<int>{255};
    QTest::newRow("one row over") << 256 << QList<int>{255, 1};
    QTest::newRow("three bands") << 600 << QList<int>{255, 255, 90};
}

void TestBitmapRaster::splitsTallRastersIntoBands() {
    QFETCH(int, height);
    QFETCH(QList<int>, bands);
    const QByteArray bytes =
        EscPos::rasterBands(toPrinterDots(patternImage(QImage::Format_Mono, 9, height), PTR_BM_ASIS));
    QByteArray headers;
    for (qsizetype at = 0; at + 8 <= bytes.size(); at += 8 + 2 * quint8(bytes[at + 6]))
        headers += bytes.mid(at, 8);
    QByteArray expected;
    for (int rows : bands)
        expected += QByteArray::fromHex("1d7630000200") + char(rows) + char(0);
    QCOMPARE(headers.toHex(' '), expected.toHex(' '));
}

QTEST_GUILESS_MAIN(TestBitmapRaster)
#include "tst_bitmapraster.moc"
