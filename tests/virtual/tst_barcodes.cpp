#include "common/barcodescan.h"
#include "support/printerharness.h"
#include "virtual/barcoderenderer.h"

#include <QtTest>

using namespace virt;

namespace {

// GS h 80, GS w n, then the bar code.
QImage printed(const QByteArray& code, int moduleWidth = 2) {
    PrinterHarness h;
    h.send(QByteArray::fromHex("1d6850") + QByteArray::fromHex("1d77") + char(moduleWidth) + code);
    return h.current();
}

QByteArray functionB(int m, const QByteArray& data) {
    return QByteArray::fromHex("1d6b") + char(m) + char(data.size()) + data;
}

QByteArray functionA(int m, const QByteArray& data) {
    return QByteArray::fromHex("1d6b") + char(m) + data + '\0';
}

QByteArray qr(int model, const QByteArray& data) {
    return QByteArray::fromHex("1d286b04003141") + char(model) + '\0' +
           QByteArray::fromHex("1d286b0300314304") + QByteArray::fromHex("1d286b") + char(data.size() + 3) +
           '\0' + "1P0" + data + QByteArray::fromHex("1d286b0300315130");
}

// Lengths of the dark and light runs across the middle row of the ink.
QList<int> runsAcross(const QImage& paper) {
    const QRect ink = inkBounds(paper);
    QList<int> runs;
    bool dark = true;
    for (int x = ink.left(); x <= ink.right(); ++x) {
        const bool here = qGray(paper.pixel(x, ink.center().y())) < 128;
        if (runs.isEmpty() || here != dark)
            runs.append(0);
        dark = here;
        ++runs.last();
    }
    return runs;
}

} // namespace

class TestBarcodes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scansBack_data();
    void scansBack();
    void twoWidthCodesUseThePrinterTable_data();
    void twoWidthCodesUseThePrinterTable();
    void symbolWidthOnPaper_data();
    void symbolWidthOnPaper();
    void symbolsOfFixedSize_data();
    void symbolsOfFixedSize();
    void badDataPrintsNothing_data();
    void badDataPrintsNothing();
    void gs1ElementStrings_data();
    void gs1ElementStrings();
    void code128KeepsTheHostsCodeSets_data();
    void code128KeepsTheHostsCodeSets();
    void humanReadableText_data();
    void humanReadableText();
};

void TestBarcodes::scansBack_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<bool>("zxing"); // zbar cannot read it
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("decoded");
    const QByteArray gs1 = "0109501101530003"
                           "10ABC123";
    const QByteArray gtin = "0109501101530003";
    QTest::newRow("A 0 UPC-A") << functionA(0, "03600029145") << false << "UPC-A"
                               << QByteArray("036000291452");
    QTest::newRow("A 1 UPC-E") << functionA(1, "01234565") << false << "UPC-E" << QByteArray("01234565");
    QTest::newRow("A 2 EAN-13") << functionA(2, "400638133393") << false << "EAN-13"
                                << QByteArray("4006381333931");
    QTest::newRow("A 3 EAN-8") << functionA(3, "9638507") << false << "EAN-8" << QByteArray("96385074");
    QTest::newRow("A 4 Code 39") << functionA(4, "CODE 39") << false << "CODE-39" << QByteArray("CODE 39");
    QTest::newRow("A 5 ITF") << functionA(5, "12345678") << false << "I2/5" << QByteArray("12345678");
    QTest::newRow("A 6 Codabar") << functionA(6, "A40156B") << false << "Codabar" << QByteArray("A40156B");
    QTest::newRow("65 UPC-A") << functionB(65, "036000291452") << false << "UPC-A"
                              << QByteArray("036000291452");
    QTest::newRow("66 UPC-E") << functionB(66, "0123456") << false << "UPC-E" << QByteArray("01234565");
    QTest::newRow("67 EAN-13") << functionB(67, "4006381333931") << false << "EAN-13"
                               << QByteArray("4006381333931");
    QTest::newRow("68 EAN-8") << functionB(68, "96385074") << false << "EAN-8" << QByteArray("96385074");
    QTest::newRow("69 Code 39") << functionB(69, "*$5.-/+%*") << false << "CODE-39" << QByteArray("$5.-/+%");
    QTest::newRow("70 ITF") << functionB(70, "0123456789") << false << "I2/5" << QByteArray("0123456789");
    QTest::newRow("71 Codabar") << functionB(71, "c12-$:/.+d") << false << "Codabar"
                                << QByteArray("C12-$:/.+D");
    QTest::newRow("72 Code 93") << functionB(72, "Code 93") << false << "CODE-93" << QByteArray("Code 93");
    QTest::newRow("73 Code 128") << functionB(73, "{BNo.{C\x0c\x22") << false << "CODE-128"
                                 << QByteArray("No.1234");
    QTest::newRow("74 GS1-128, FNC1") << functionB(74, "{1" + gs1) << false << "CODE-128" << gs1;
    QTest::newRow("74 GS1-128, parentheses")
        << functionB(74, "(01)09501101530003(10)ABC123") << false << "CODE-128" << gs1;
    QTest::newRow("75 DataBar") << functionB(75, "0950110153000") << false << "DataBar" << gtin;
    QTest::newRow("76 DataBar Truncated") << functionB(76, "0950110153000") << false << "DataBar" << gtin;
    QTest::newRow("78 DataBar Expanded") << functionB(78, "{1" + gs1) << false << "DataBar-Exp" << gs1;
    QTest::newRow("73 Code 128 set A, control character")
        << functionB(73, "{AAB\t") << false << "CODE-128" << QByteArray("AB\t");
    QTest::newRow("73 Code 128 shift and {{")
        << functionB(73, "{Ba{S\r{{") << false << "CODE-128" << QByteArray("a\r{");
    QTest::newRow("79 Code 128 auto, control character")
        << functionB(79, "Tab\tEnd\x01") << false << "CODE-128" << QByteArray("Tab\tEnd\x01");
    QTest::newRow("79 Code 128 auto, digits")
        << functionB(79, "AB123456") << false << "CODE-128" << QByteArray("AB123456");
    QTest::newRow("QR model 2") << qr(50, "posling") << false << "QR-Code" << QByteArray("posling");
    QTest::newRow("PDF417") << QByteArray::fromHex("1d286b0a0030503050444634313721"
                                                   "1d286b0300305130")
                            << true << "PDF417" << QByteArray("PDF417!");
}

void TestBarcodes::scansBack() {
    QFETCH(QByteArray, stream);
    QFETCH(bool, zxing);
    QFETCH(QString, type);
    QFETCH(QByteArray, decoded);
    const QImage paper = printed(stream);
    QVERIFY2(!inkBounds(paper).isEmpty(), "nothing printed");
    if (zxing && !zxingAvailable())
        QSKIP("zxing-cpp for /usr/bin/python3 is not installed (Debian python3-zxing-cpp)");
    if (!zxing && !zbarAvailable())
        QSKIP("zbarimg is not installed (Debian zbar-tools)");
    const QList<ScannedCode> codes = zxing ? scanWithZxing(paper) : scanWithZbar(paper);
    QCOMPARE(codes.size(), 1);
    QCOMPARE(codes[0].type, type);
    QCOMPARE(codes[0].data, decoded);
}

void TestBarcodes::twoWidthCodesUseThePrinterTable_data() {
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("thin");
    QTest::addColumn<int>("thick");
    const QByteArray code39 = functionB(69, "A1");
    QTest::newRow("Code 39, n 1") << code39 << 1 << 1 << 3;
    QTest::newRow("Code 39, n 2") << code39 << 2 << 2 << 5;
    QTest::newRow("Code 39, n 3") << code39 << 3 << 3 << 8;
    QTest::newRow("Code 39, n 4") << code39 << 4 << 4 << 10;
    QTest::newRow("Code 39, n 5") << code39 << 5 << 5 << 13;
    QTest::newRow("Code 39, n 6") << code39 << 6 << 6 << 16;
    QTest::newRow("Codabar, n 3") << functionB(71, "A12B") << 3 << 3 << 8;
    QTest::newRow("ITF, n 3") << functionB(70, "1234") << 3 << 3 << 8;
    QTest::newRow("ITF function A, n 2") << functionA(5, "1234") << 2 << 2 << 5;
}

void TestBarcodes::twoWidthCodesUseThePrinterTable() {
    QFETCH(QByteArray, code);
    QFETCH(int, n);
    QFETCH(int, thin);
    QFETCH(int, thick);
    const QList<int> runs = runsAcross(printed(code, n));
    QVERIFY(runs.size() > 20);
    QCOMPARE(QSet<int>(runs.begin(), runs.end()), (QSet<int>{thin, thick}));
}

void TestBarcodes::symbolWidthOnPaper_data() {
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("width"); // 0: not printed
    // Code 39 at n 6 is 90 dots a character: 6 characters 534 dots, 7 are 624 (540 at 2:1).
    QTest::newRow("Code 39, 4 + start and stop, fits") << functionB(69, "ABCD") << 6 << 534;
    QTest::newRow("Code 39, 5 + start and stop, too wide") << functionB(69, "ABCDE") << 6 << 0;
    QTest::newRow("EAN-13 at n 6 fits (570)") << functionB(67, "400638133393") << 6 << 570;
    QTest::newRow("Codabar A12B at n 3, 21 thin and 10 thick, no space after the stop")
        << functionB(71, "A12B") << 3 << 143;
    QTest::newRow("Code 128 in set A as sent: 9 symbols and the stop")
        << functionB(73, "{A3456789") << 2 << 2 * (11 * 9 + 13);
    QTest::newRow("Code 128 auto too wide") << functionB(79, QByteArray(60, 'x')) << 2 << 0;
}

void TestBarcodes::symbolWidthOnPaper() {
    QFETCH(QByteArray, code);
    QFETCH(int, n);
    QFETCH(int, width);
    QCOMPARE(inkBounds(printed(code, n)).width(), width);
}

void TestBarcodes::symbolsOfFixedSize_data() {
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QSize>("ink"); // dots at n 2; DataBar's light guard modules at the ends are no ink
    QTest::newRow("75 DataBar, 33 modules high") << functionB(75, "0950110153000") << QSize(95, 33) * 2;
    QTest::newRow("76 Truncated, 13 modules high") << functionB(76, "0950110153000") << QSize(95, 13) * 2;
    QTest::newRow("77 Limited, 10 modules high") << functionB(77, "1950110153000") << QSize(73, 10) * 2;
    QTest::newRow("78 Expanded, 34 modules high")
        << functionB(78, "(01)09501101530003") << QSize(132, 34) * 2;
    QTest::newRow("MaxiCode, 28.14 x 26.91 mm at 203 dpi")
        << QByteArray::fromHex("1d286b0300324134"
                               "1d286b0700325030") +
               "MAXI" + QByteArray::fromHex("1d286b0300325130")
        << QSize(225, 215);
}

void TestBarcodes::symbolsOfFixedSize() {
    QFETCH(QByteArray, code);
    QFETCH(QSize, ink);
    QCOMPARE(inkBounds(printed(code, 2)).size(), ink);
}

void TestBarcodes::badDataPrintsNothing_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::newRow("75 with 12 digits") << functionB(75, "095011015300");
    QTest::newRow("75 with a letter") << functionB(75, "095011015300A");
    QTest::newRow("77 starting with 2") << functionB(77, "2950110153000");
    QTest::newRow("74 without an AI") << functionB(74, "0109501101530003");
    QTest::newRow("74 unclosed parenthesis") << functionB(74, "(0109501101530003");
    QTest::newRow("78 short fixed-length value") << functionB(78, "{10109501101");
    QTest::newRow("QR model 1 without data") << qr(49, "");
}

void TestBarcodes::badDataPrintsNothing() {
    QFETCH(QByteArray, stream);
    QVERIFY(inkBounds(printed(stream)).isEmpty());
}

void TestBarcodes::gs1ElementStrings_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("brackets"); // empty: refused
    const QByteArray expected = "[01]09501101530003[10]ABC[21]XY";
    QTest::newRow("FNC1 only where a variable value ends")
        << QByteArray("{1010950110153000310ABC{121XY") << expected;
    QTest::newRow("FNC1 before every AI") << QByteArray("{10109501101530003{110ABC{121XY") << expected;
    QTest::newRow("parentheses") << QByteArray("(01)09501101530003(10)ABC(21)XY") << expected;
    QTest::newRow("FNC1 and parentheses")
        << QByteArray("{1(01)09501101530003(10)ABC") << QByteArray("[01]09501101530003[10]ABC");
    QTest::newRow("four-digit AI") << QByteArray("{13103000123") << QByteArray("[3103]000123");
    QTest::newRow("no leading FNC1") << QByteArray("0109501101530003") << QByteArray();
    QTest::newRow("FNC1 alone") << QByteArray("{1") << QByteArray();
    QTest::newRow("AI without a value") << QByteArray("{110{121XY") << QByteArray();
    QTest::newRow("unknown AI prefix") << QByteArray("{1550001") << QByteArray();
}

void TestBarcodes::gs1ElementStrings() {
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, brackets);
    QString error;
    QCOMPARE(BarcodeRenderer::gs1Brackets(data, &error), brackets);
    QCOMPARE(error.isEmpty(), !brackets.isEmpty());
}

void TestBarcodes::code128KeepsTheHostsCodeSets_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QList<int>>("values"); // start .. check; empty: refused
    using L = QList<int>;
    QTest::newRow("set B") << QByteArray("{BAB") << L{104, 33, 34, 102};
    QTest::newRow("set C binary pairs") << QByteArray("{C\x0c\x22") << L{105, 12, 34, 82};
    QTest::newRow("A control, then Code B") << QByteArray("{A\t{Bx") << L{103, 73, 100, 88, 22};
    QTest::newRow("shift to A for one character") << QByteArray("{Ba{S\r") << L{104, 65, 98, 77, 81};
    QTest::newRow("FNC1 in set C") << QByteArray("{C{1\x01") << L{105, 102, 1, 3};
    QTest::newRow("FNC4 in set B") << QByteArray("{B{4a") << L{104, 100, 65, 25};
    QTest::newRow("{{ is a brace") << QByteArray("{B{{") << L{104, 91, 92};
    QTest::newRow("digits stay in set A") << QByteArray("{A12") << L{103, 17, 18, 53};
    QTest::newRow("no code set") << QByteArray("AB") << L{};
    QTest::newRow("set C value 100") << QByteArray("{C\x64") << L{};
    QTest::newRow("shift in set C") << QByteArray("{C{S1") << L{};
    QTest::newRow("unknown escape") << QByteArray("{B{Z") << L{};
    QTest::newRow("escape cut off") << QByteArray("{BA{") << L{};
    QTest::newRow("lower case in set A") << QByteArray("{Aa") << L{};
    QTest::newRow("byte above 7F") << QByteArray("{B\x80") << L{};
    QTest::newRow("start only") << QByteArray("{B") << L{};
}

void TestBarcodes::code128KeepsTheHostsCodeSets() {
    QFETCH(QByteArray, data);
    QFETCH(QList<int>, values);
    QString hri, error;
    QCOMPARE(BarcodeRenderer::code128Values(data, &hri, &error), values);
    QCOMPARE(error.isEmpty(), !values.isEmpty());
}

void TestBarcodes::humanReadableText_data() {
    QTest::addColumn<int>("m");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("hri");
    QTest::newRow("74, parentheses kept, FNC1 dropped")
        << 74 << QByteArray("{1(01)09501101530003(10)AB") << QStringLiteral("(01)09501101530003(10)AB");
    QTest::newRow("74, FNC1 form") << 74 << QByteArray("{1010950110153000310AB")
                                   << QStringLiteral("010950110153000310AB");
    QTest::newRow("75, AI and check digit added")
        << 75 << QByteArray("0950110153000") << QStringLiteral("(01)09501101530003");
    QTest::newRow("79, control characters as spaces")
        << 79 << QByteArray("A\tB\x7f") << QStringLiteral("A B ");
    QTest::newRow("73, escapes not shown") << 73 << QByteArray("{BAB{C\x0c") << QStringLiteral("AB12");
}

void TestBarcodes::humanReadableText() {
    QFETCH(int, m);
    QFETCH(QByteArray, data);
    QFETCH(QString, hri);
    QString error;
    QCOMPARE(BarcodeRenderer::linear(m, data, 2, 50, &error).hri, hri);
}

QTEST_MAIN(TestBarcodes)
#include "tst_barcodes.moc"
