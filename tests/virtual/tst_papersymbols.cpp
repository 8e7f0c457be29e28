#include "support/printerharness.h"

#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace virt;

// Images and symbols on the paper: raster and other image commands exact to the dot, bar codes and
// 2D symbols read back by a reader we did not write.
class TestPaperSymbols : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rasterIsPixelExact();
    void rasterScalesAndClips();
    void barcodesReadBack_data();
    void barcodesReadBack();
    void barcodeModuleAndHeight();
    void twoDimensionalSymbols_data();
    void twoDimensionalSymbols();
    void otherImageCommandsDrawLikeRaster_data();
    void otherImageCommandsDrawLikeRaster();
    void rasterWiderThanThePaperIsClipped();

private:
    static QString zbar(const QImage& image);
};

void TestPaperSymbols::rasterIsPixelExact() {
    // 64x64 checkerboard of 8-dot squares, as in the command reference.
    QByteArray data;
    for (int row = 0; row < 64; ++row)
        for (int byte = 0; byte < 8; ++byte)
            data.append(char(((row / 8 + byte) % 2 == 0) ? 0xFF : 0x00));
    PrinterHarness h;
    h.send(QByteArray::fromHex("1d7630000800400"
                               "0") +
           data);
    const QImage image = h.current();
    QCOMPARE(image.size(), QSize(576, 64));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 576; ++x) {
            const bool black = x < 64 && ((y / 8 + x / 8) % 2 == 0);
            if ((qGray(image.pixel(x, y)) < 128) != black)
                QFAIL(qPrintable(QStringLiteral("dot %1,%2").arg(x).arg(y)));
        }
}

void TestPaperSymbols::rasterScalesAndClips() {
    PrinterHarness h;
    // One byte 0x80 (one dot), quadruple mode: 2x2 dots; centred.
    h.send(QByteArray::fromHex("1b61011d763033010001008"
                               "0"));
    QCOMPARE(inkBounds(h.current()), QRect((576 - 16) / 2, 0, 2, 2));
    // 80 bytes = 640 dots on 576-dot paper: clipped, not wrapped or refused.
    PrinterHarness w;
    w.send(QByteArray::fromHex("1d7630005000010"
                               "0") +
           QByteArray(80, char(0xFF)));
    QCOMPARE(inkBounds(w.current()), QRect(0, 0, 576, 1));
}

QString TestPaperSymbols::zbar(const QImage& image) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("code.png"));
    // Quiet zones all round, as on paper.
    QImage padded(image.width() + 80, image.height() + 80, QImage::Format_RGB32);
    padded.fill(Qt::white);
    QPainter(&padded).drawImage(40, 40, image);
    padded.save(file);
    QProcess zbarimg;
    zbarimg.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), file});
    if (!zbarimg.waitForFinished(20000)) {
        zbarimg.kill();
        return QStringLiteral("<timeout>");
    }
    return QString::fromLatin1(zbarimg.readAllStandardOutput()).trimmed();
}

void TestPaperSymbols::barcodesReadBack_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("UPC-A, check digit added") << QByteArray::fromHex("1d6b41"
                                                                     "0b") +
                                                     "03600029145"
                                              << "0036000291452"; // the reader reports UPC as EAN-13
    QTest::newRow("UPC-E") << QByteArray::fromHex("1d6b42"
                                                  "08") +
                                  "01234565"
                           << "0012345000065"; // expanded
    QTest::newRow("UPC-E given as UPC-A, 11 digits") << QByteArray::fromHex("1d6b420b") + "01234500006"
                                                     << "0012345000065";
    QTest::newRow("UPC-E given as UPC-A with check, 12 digits")
        << QByteArray::fromHex("1d6b420c") + "042100005264"
        << "0042100005264";
    QTest::newRow("EAN-13 function A")
        << QByteArray::fromHex("1d6b02") + "400638133393" + QByteArray(1, '\0') << "4006381333931";
    QTest::newRow("EAN-8") << QByteArray::fromHex("1d6b44"
                                                  "07") +
                                  "9638507"
                           << "96385074";
    QTest::newRow("Code 39, asterisks ours") << QByteArray::fromHex("1d6b45"
                                                                    "08") +
                                                    "*CODE39*"
                                             << "CODE39";
    QTest::newRow("ITF") << QByteArray::fromHex("1d6b46"
                                                "06") +
                                "123456"
                         << "123456";
    QTest::newRow("Codabar") << QByteArray::fromHex("1d6b47"
                                                    "06") +
                                    "A1234B"
                             << "A1234B";
    QTest::newRow("Code 93") << QByteArray::fromHex("1d6b48"
                                                    "06") +
                                    "CODE93"
                             << "CODE93";
    QTest::newRow("Code 128 set B") << QByteArray::fromHex("1d6b490b7b4248656c6c6f2d313233") << "Hello-123";
    QTest::newRow("Code 128 set C pairs are binary")
        << QByteArray::fromHex("1d6b49067b430c22384e") << "12345678";
    QTest::newRow("Code 128 B then C")
        << QByteArray::fromHex("1d6b490b7b42414243207b430c2238") << "ABC 123456";
}

void TestPaperSymbols::barcodesReadBack() {
    QFETCH(QByteArray, command);
    QFETCH(QString, decoded);
    if (QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
        QSKIP("zbarimg is not installed");
    PrinterHarness h;
    h.send(QByteArray::fromHex("1d68501d7702") + command);
    const QImage image = h.current();
    QVERIFY2(!image.isNull(), "nothing printed");
    QString out = zbar(image);
    out = out.section(QLatin1Char('\n'), 0, 0);
    QCOMPARE(out, decoded);
}

void TestPaperSymbols::barcodeModuleAndHeight() {
    PrinterHarness h;
    // EAN-13 is 95 modules: at GS w 3 it is 285 dots wide, GS h 100 high, no HRI.
    h.send(QByteArray::fromHex("1d68641d77031d6b43"
                               "0c") +
           "400638133393");
    QCOMPARE(inkBounds(h.current()).size(), QSize(285, 100));
    QCOMPARE(h.printer->paper()->position(), 100);
    // HRI below adds a line of font A under the bars.
    PrinterHarness t;
    t.send(QByteArray::fromHex("1d68641d77031d48021d6b43"
                               "0c") +
           "400638133393");
    QVERIFY(t.printer->paper()->position() > 100 + 20);
}

void TestPaperSymbols::twoDimensionalSymbols_data() {
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("QR, peer bytes for \"hi\"")
        << QByteArray::fromHex("1d286b0400314132001d286b03003143061d286b03003145311d286b0500315030"
                               "6869"
                               "1d286b0300315130")
        << "hi";
    QTest::newRow("PDF417") << QByteArray::fromHex("1d286b03003043031d286b0a003050305044463431372121"
                                                   "1d286b0300305130")
                            << ""; // the reader has no PDF417
    QTest::newRow("MaxiCode mode 4 (drawn, not read back)") << QByteArray::fromHex("1d286b0300324134"
                                                                                   "1d286b080032503031323334"
                                                                                   "35"
                                                                                   "1d286b0300325130")
                                                            << "";
}

void TestPaperSymbols::twoDimensionalSymbols() {
    QFETCH(QByteArray, commands);
    QFETCH(QString, decoded);
    PrinterHarness h;
    h.send(commands);
    const QImage image = h.current();
    QVERIFY2(!image.isNull() && !inkBounds(image).isEmpty(), "nothing printed");
    if (decoded.isEmpty())
        return; // drawn; symbol contents are the library's
    if (QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
        QSKIP("zbarimg is not installed");
    QCOMPARE(zbar(image).section(QLatin1Char('\n'), 0, 0), decoded);
}

void TestPaperSymbols::otherImageCommandsDrawLikeRaster_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("raster"); // GS v 0 of the same picture
    QTest::addColumn<int>("rows");
    QByteArray board; // 64x64 checkerboard of 8-dot squares, rows of 8 bytes
    for (int row = 0; row < 64; ++row)
        for (int byte = 0; byte < 8; ++byte)
            board.append(char(((row / 8 + byte) % 2 == 0) ? 0xFF : 0x00));
    const QByteArray raster = QByteArray::fromHex("1d76300008004000") + board;
    const QByteArray print = QByteArray::fromHex("1d284c02003032");
    QTest::newRow("GS 8 L store, GS ( L print")
        << QByteArray::fromHex("1d384c0a020000307030010131400040 00") + board + print << raster << 64;
    QTest::newRow("GS ( L store and print")
        << QByteArray::fromHex("1d284c0a0230703001013140004000") + board + print << raster << 64;
    QByteArray columns; // the top 24 rows as 64 columns of three bytes, MSB at the top
    for (int column = 0; column < 64; ++column)
        for (int band = 0; band < 3; ++band)
            columns.append(char(((band + column / 8) % 2 == 0) ? 0xFF : 0x00));
    QTest::newRow("ESC * 33, 24-dot double density")
        << QByteArray::fromHex("1b2a214000") + columns + "\n"
        << QByteArray::fromHex("1d76300008001800") + board.left(8 * 24) << 24;
}

void TestPaperSymbols::otherImageCommandsDrawLikeRaster() {
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, raster);
    QFETCH(int, rows);
    PrinterHarness image, expected;
    image.send(command);
    expected.send(raster);
    QCOMPARE(expected.current().size(), QSize(576, rows));
    QCOMPARE(image.current().copy(0, 0, 576, rows), expected.current());
}

void TestPaperSymbols::rasterWiderThanThePaperIsClipped() {
    // 512 bytes (4096 dots) per row, 2 rows, quadruple size: only the paper's width is kept.
    PrinterHarness h;
    h.send(QByteArray::fromHex("1d763033 0002 0200") + QByteArray(1024, char(0xFF)));
    const QImage paper = h.current();
    QCOMPARE(paper.width(), 576);
    QCOMPARE(inkBounds(paper), QRect(0, 0, 576, 4));
}

QTEST_MAIN(TestPaperSymbols)
#include "tst_papersymbols.moc"
