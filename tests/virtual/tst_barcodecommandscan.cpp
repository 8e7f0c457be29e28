#include "common/barcodescan.h"
#include "device/escpos/barcodecommand.h"
#include "device/profile/printerprofile.h"
#include "support/printerharness.h"

#include <QtTest>

using namespace device;
using namespace opos;

// PrintBarCode's bytes through the virtual printer: what the command builder computed (width,
// left edge) is what lands on the paper, and the scanners read the data back.
class TestBarcodeCommandScan : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void samplesScanBack_data();
    void samplesScanBack();
};

void TestBarcodeCommandScan::samplesScanBack_data() {
    QTest::addColumn<int>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("decoded");
    auto row = [](const char* name, int symbology, const QString& data, int width, int alignment,
                  const char* type, const QByteArray& decoded) {
        QTest::newRow(name) << symbology << data << width << alignment << QString(type) << decoded;
    };
    QString startC(QChar(105));
    for (int c = 0x21; c <= 0x31; ++c)
        startC += QChar(c);
    row("itf at 2", PTR_BCS_ITF, "648129753059487615342048976531", 2, PTR_BC_LEFT, "I2/5",
        "648129753059487615342048976531");
    row("itf at 3", PTR_BCS_ITF, "90238200114139042178", 3, PTR_BC_CENTER, "I2/5", "90238200114139042178");
    row("itf at 4", PTR_BCS_ITF, "54810548673912", 4, PTR_BC_RIGHT, "I2/5", "54810548673912");
    row("codabar at 2", PTR_BCS_Codabar, "A580$76:415+89-34/2.D", 2, PTR_BC_LEFT, "Codabar",
        "A580$76:415+89-34/2.D");
    row("codabar at 3", PTR_BCS_Codabar, "C2$6+8/4.39-5B", 3, 40, "Codabar", "C2$6+8/4.39-5B");
    row("codabar at 4", PTR_BCS_Codabar, "D57+9$32:A", 4, PTR_BC_CENTER, "Codabar", "D57+9$32:A");
    row("code39 at 2", PTR_BCS_Code39, "HEU 2483+45%JKE", 2, PTR_BC_LEFT, "CODE-39", "HEU 2483+45%JKE");
    row("code39 at 3", PTR_BCS_Code39, "F4$JS984D", 3, PTR_BC_RIGHT, "CODE-39", "F4$JS984D");
    row("code39 at 4", PTR_BCS_Code39, "F4/35G", 4, PTR_BC_LEFT, "CODE-39", "F4/35G");
    row("code128 set c at 2", PTR_BCS_Code128, startC, 2, PTR_BC_LEFT, "CODE-128",
        "3334353637383940414243444546474849");
    row("code128 set b at 3", PTR_BCS_Code128, "hABCDEFGHI", 3, PTR_BC_CENTER, "CODE-128", "ABCDEFGHI");
    row("code128 set a at 4", PTR_BCS_Code128, "g3456789", 4, PTR_BC_LEFT, "CODE-128", "3456789");
    row("code128 parsed", PTR_BCS_Code128_Parsed, "AB12345{x", 2, PTR_BC_LEFT, "CODE-128", "AB12345{x");
    row("code93", PTR_BCS_Code93, "Code 93", 2, PTR_BC_LEFT, "CODE-93", "Code 93");
    row("gs1-128", PTR_BCS_EAN128, "(01)09501101530003(10)AB12", 2, PTR_BC_LEFT, "CODE-128",
        "0109501101530003"
        "10AB12");
    row("upca", PTR_BCS_UPCA, "01234567890", 3, PTR_BC_LEFT, "UPC-A", "012345678905");
    row("upce from upca form", PTR_BCS_UPCE, "01220000034", 3, PTR_BC_CENTER, "UPC-E", "01203426");
    row("ean8", PTR_BCS_EAN8, "12121212", 4, 100, "EAN-8", "12121212");
    row("ean13 at 2", PTR_BCS_EAN13, "1012345678904", 2, PTR_BC_LEFT, "EAN-13", "1012345678904");
    row("pdf417", PTR_BCS_PDF417, "PDF417 from PrintBarCode", 2, PTR_BC_CENTER, "PDF417",
        "PDF417 from PrintBarCode");
    row("maxicode", PTR_BCS_MAXICODE, "MAXICODE 123", 2, PTR_BC_LEFT, "MaxiCode", "MAXICODE 123");
}

void TestBarcodeCommandScan::samplesScanBack() {
    QFETCH(int, symbology);
    QFETCH(QString, data);
    QFETCH(int, width);
    QFETCH(int, alignment);
    QFETCH(QString, type);
    QFETCH(QByteArray, decoded);
    const BarcodeCommand command =
        buildBarcodeCommand({data, symbology, 80, width, alignment, PTR_BC_TEXT_NONE},
                            *PrinterProfile::byId(QStringLiteral("80mm")));
    QCOMPARE(command.code, OPOS_SUCCESS);
    PrinterHarness printer;
    printer.send(command.standardModeBytes());
    const QImage paper = printer.current();
    const QRect ink = inkBounds(paper);
    QVERIFY(ink.height() <= command.heightDots && ink.height() * 10 >= command.heightDots * 9);
    QCOMPARE(ink.width(), command.widthDots);
    QCOMPARE(ink.left(), command.leftDots);
    const bool zxing = type == QLatin1String("PDF417") || type == QLatin1String("MaxiCode");
    if (zxing ? !zxingAvailable() : !zbarAvailable())
        QSKIP("the scanner for this symbology is not installed (zbar-tools, python3-zxing-cpp)");
    const QList<ScannedCode> codes = zxing ? scanWithZxing(paper) : scanWithZbar(paper);
    QCOMPARE(codes.size(), 1);
    QCOMPARE(codes[0].type, type);
    QCOMPARE(codes[0].data, decoded);
}

QTEST_MAIN(TestBarcodeCommandScan)
#include "tst_barcodecommandscan.moc"
