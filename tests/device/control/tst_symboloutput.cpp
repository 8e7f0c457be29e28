#include "device/control/posprintercontrol.h"
#include "device/escpos/barcodecommand.h"
#include "device/escpos/bitmapraster.h"
#include "device/profile/printerprofile.h"
#include "support/enabledprinter.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace device;
using namespace opos;

namespace {

const PrinterProfile& profile80() {
    static const PrinterProfile profile = *PrinterProfile::byId(QStringLiteral("80mm"));
    return profile;
}

const BarcodeArguments kCode39{
    QStringLiteral("F4$JS984D"), PTR_BCS_Code39, 60, 3, PTR_BC_CENTER, PTR_BC_TEXT_NONE};

// What PrintBarCode sends for kCode39 in each of its forms.
QByteArray upright() {
    return buildBarcodeCommand(kCode39, profile80()).standardModeBytes();
}
QByteArray symbolOnly() {
    const BarcodeCommand c = buildBarcodeCommand(kCode39, profile80());
    return c.setup + c.symbol;
}

// A small black-and-white picture as a 1-bit BMP.
QString writePicture(const QTemporaryDir& dir, const QString& name, int width, int height) {
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, (x + y) % 3 == 0 ? 1 : 0);
    const QString path = dir.filePath(name);
    return image.save(path, "BMP") ? path : QString();
}

} // namespace

// PrintBarCode, SetBitmap, PrintBitmap and ESC|#B through the control, with the rotations they
// print under.
class TestSymbolOutput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(files.isValid()); }

    void barCodeUnderEachRotation_data();
    void barCodeUnderEachRotation();
    void sidewaysBlockHoldsWhatFits();
    void bitmapResults_data();
    void bitmapResults();
    void storedBitmapPrintsThroughEscape();
    void bitmapTurnsWithUpsideDownPrinting();
    void rotationListsSayWhatPrints();

private:
    QTemporaryDir files;
};

void TestSymbolOutput::barCodeUnderEachRotation_data() {
    QTest::addColumn<int>("rotation"); // 0: none
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("printed");

    const QByteArray upsideDownOn = hex("1b7b01"), upsideDownOff = hex("1b7b00");
    QTest::newRow("upright") << 0 << QString() << OPOS_SUCCESS << upright();
    QTest::newRow("an open line ends first")
        << 0 << QStringLiteral("ab") << OPOS_SUCCESS << QByteArray("ab\n") + upright();
    // Upside down, the bar code stays upright unless the rotation includes bar codes; then it
    // gets a page of its own printed in the opposite direction (ESC T 2), 60 dots high.
    QTest::newRow("upside down, bar code upright") << PTR_RP_ROTATE180 << QString() << OPOS_SUCCESS
                                                   << upsideDownOn + upsideDownOff + upright() + upsideDownOn;
    const BarcodeCommand c = buildBarcodeCommand(kCode39, profile80());
    QByteArray turnedPage = hex("1b4c 1b57 0000 0000 4002 3c00 1b5402 1b24");
    turnedPage += char(c.leftDots & 0xFF);
    turnedPage += char(c.leftDots >> 8);
    QTest::newRow("upside down with bar codes")
        << (PTR_RP_ROTATE180 | PTR_RP_BARCODE) << QString() << OPOS_SUCCESS
        << upsideDownOn + upsideDownOff + turnedPage + symbolOnly() + hex("0c") + upsideDownOn;
    QTest::newRow("sideways without bar codes")
        << PTR_RP_LEFT90 << QString() << OPOS_E_ILLEGAL << QByteArray();
    QTest::newRow("sideways with bitmaps only")
        << (PTR_RP_RIGHT90 | PTR_RP_BITMAP) << QString() << OPOS_E_ILLEGAL << QByteArray();
    // In the block: the text line, the bar code on a line of its own, all turned left.
    QTest::newRow("sideways with bar codes")
        << (PTR_RP_LEFT90 | PTR_RP_BARCODE) << QStringLiteral("ab") << OPOS_SUCCESS
        << hex("1b4c 1b57 0000 0000 4002") + QByteArray(1, char(c.widthDots & 0xFF)) +
               QByteArray(1, char(c.widthDots >> 8)) + hex("1b5401") + "ab\n" + symbolOnly() + hex("0c");
}

void TestSymbolOutput::barCodeUnderEachRotation() {
    QFETCH(int, rotation);
    QFETCH(QString, before);
    QFETCH(int, code);
    QFETCH(QByteArray, printed);
    Enabled e;
    if (rotation)
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, rotation), OPOS_SUCCESS);
    if (!before.isEmpty())
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, before), OPOS_SUCCESS);
    const BarcodeArguments& a = kCode39;
    QCOMPARE(
        e.p.PrintBarCode(PTR_S_RECEIPT, a.data, a.symbology, a.height, a.width, a.alignment, a.textPosition),
        code);
    const int base = rotation & ~(PTR_RP_BARCODE | PTR_RP_BITMAP);
    if (base == PTR_RP_LEFT90 || base == PTR_RP_RIGHT90) // the block prints when it closes
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_NORMAL), OPOS_SUCCESS);
    QCOMPARE(e.fake->data().toHex(' '), printed.toHex(' '));
}

// Lines and symbols share the width across the paper; a symbol longer than the page is refused.
void TestSymbolOutput::sidewaysBlockHoldsWhatFits() {
    Enabled e;
    QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_RIGHT90 | PTR_RP_BARCODE), OPOS_SUCCESS);
    const auto code128 = [&](const QString& data, int height, int width) {
        return e.p.PrintBarCode(PTR_S_RECEIPT, data, PTR_BCS_Code128, height, width, PTR_BC_LEFT,
                                PTR_BC_TEXT_NONE);
    };
    QCOMPARE(code128(QStringLiteral("ONE"), 255, 2), OPOS_SUCCESS);
    QCOMPARE(code128(QStringLiteral("TWO"), 255, 2), OPOS_SUCCESS);
    QCOMPARE(code128(QStringLiteral("THREE"), 255, 2), OPOS_E_ILLEGAL); // 765 dots across > 570
    // 2 x 255 + 2 x 30 fill the 570 dots of 19 lines exactly.
    QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("a line\nand another\n")), OPOS_SUCCESS);
    QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("x")), OPOS_E_ILLEGAL);
    QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_NORMAL), OPOS_SUCCESS);
    QCOMPARE(e.fake->data().count(hex("1d6b49")), 2);
    // Unknown rotation bits are no rotation at all.
    QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_LEFT90 | 0x4000), OPOS_E_ILLEGAL);
}

void TestSymbolOutput::bitmapResults_data() {
    QTest::addColumn<QString>("call"); // "set N file width align" or "print file width align"
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("extended");
    QTest::newRow("print as is") << "print pic.bmp -11 -2" << OPOS_SUCCESS << 0;
    QTest::newRow("print scaled") << "print pic.bmp 300 -3" << OPOS_SUCCESS << 0;
    QTest::newRow("print missing") << "print none.bmp -11 -2" << OPOS_E_NOEXIST << 0;
    QTest::newRow("print not an image") << "print text.bmp -11 -2" << OPOS_E_EXTENDED << OPOS_EPTR_BADFORMAT;
    QTest::newRow("print too wide") << "print wide.bmp -11 -1" << OPOS_E_EXTENDED << OPOS_EPTR_TOOBIG;
    QTest::newRow("print width 0") << "print pic.bmp 0 -2" << OPOS_E_ILLEGAL << 0;
    QTest::newRow("set 1") << "set 1 pic.bmp -11 -2" << OPOS_SUCCESS << 0;
    QTest::newRow("set 20") << "set 20 pic.bmp -11 -2" << OPOS_SUCCESS << 0;
    QTest::newRow("set 0") << "set 0 pic.bmp -11 -2" << OPOS_E_ILLEGAL << 0;
    QTest::newRow("set 21") << "set 21 pic.bmp -11 -2" << OPOS_E_ILLEGAL << 0;
    QTest::newRow("set empty name takes it back") << "set 2 - -11 -2" << OPOS_SUCCESS << 0;
    QTest::newRow("set missing") << "set 2 none.bmp -11 -2" << OPOS_E_NOEXIST << 0;
    QTest::newRow("set too wide") << "set 2 wide.bmp -11 -2" << OPOS_E_EXTENDED << OPOS_EPTR_TOOBIG;
}

void TestSymbolOutput::bitmapResults() {
    QFETCH(QString, call);
    QFETCH(int, code);
    QFETCH(int, extended);
    QVERIFY(!writePicture(files, QStringLiteral("pic.bmp"), 40, 20).isEmpty());
    QVERIFY(!writePicture(files, QStringLiteral("wide.bmp"), 600, 4).isEmpty());
    QFile text(files.filePath(QStringLiteral("text.bmp")));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a picture at all") > 0);
    text.close();
    Enabled e;
    const QStringList words = call.split(u' ');
    const bool set = words[0] == QLatin1String("set");
    const QString name = words[set ? 2 : 1];
    const QString path = name == QLatin1String("-") ? QString() : files.filePath(name);
    const int width = words[set ? 3 : 2].toInt(), alignment = words[set ? 4 : 3].toInt();
    const qint32 result = set ? e.p.SetBitmap(words[1].toInt(), PTR_S_RECEIPT, path, width, alignment)
                              : e.p.PrintBitmap(PTR_S_RECEIPT, path, width, alignment);
    QCOMPARE(result, code);
    QCOMPARE(e.p.ResultCodeExtended(), extended);
    // SetBitmap prints nothing; a refused PrintBitmap neither.
    QCOMPARE(e.fake->data().isEmpty(), set || code != OPOS_SUCCESS);
}

void TestSymbolOutput::storedBitmapPrintsThroughEscape() {
    const QString path = writePicture(files, QStringLiteral("stored.bmp"), 64, 16);
    Enabled e;
    QCOMPARE(e.p.SetBitmap(5, PTR_S_RECEIPT, path, PTR_BM_ASIS, PTR_BM_RIGHT), OPOS_SUCCESS);
    QCOMPARE(e.p.PrintBitmap(PTR_S_RECEIPT, path, PTR_BM_ASIS, PTR_BM_RIGHT), OPOS_SUCCESS);
    const QByteArray direct = e.fake->data();
    QVERIFY(direct.contains(hex("1d7630")));
    e.fake->clear();
    QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("\x1b|5B\x1b|6B")), OPOS_SUCCESS);
    QCOMPARE(e.fake->data().toHex(' '), direct.toHex(' ')); // number 6 holds nothing
    // An empty name takes the number back; closing forgets every stored bitmap.
    QCOMPARE(e.p.SetBitmap(5, PTR_S_RECEIPT, QString(), PTR_BM_ASIS, PTR_BM_RIGHT), OPOS_SUCCESS);
    e.fake->clear();
    QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("\x1b|5B")), OPOS_SUCCESS);
    QCOMPARE(e.fake->data(), QByteArray());
}

// Upside down with bitmaps turning, the host turns the picture and mirrors its place.
void TestSymbolOutput::bitmapTurnsWithUpsideDownPrinting() {
    const QString path = writePicture(files, QStringLiteral("turn.bmp"), 24, 3);
    PreparedBitmap left = prepareBitmap({path, PTR_BM_ASIS, PTR_BM_LEFT}, profile80());
    PreparedBitmap right = prepareBitmap({path, PTR_BM_ASIS, PTR_BM_RIGHT}, profile80());
    right.dots = right.dots.mirrored(true, true);
    Enabled e;
    QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_ROTATE180 | PTR_RP_BITMAP), OPOS_SUCCESS);
    QCOMPARE(e.p.PrintBitmap(PTR_S_RECEIPT, path, PTR_BM_ASIS, PTR_BM_LEFT), OPOS_SUCCESS);
    QCOMPARE(e.fake->data().toHex(' '),
             (hex("1b7b01 1b7b00") + right.standardModeBytes() + hex("1b7b01")).toHex(' '));
    e.fake->clear();
    QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_ROTATE180), OPOS_SUCCESS); // bitmaps upright again
    QCOMPARE(e.p.PrintBitmap(PTR_S_RECEIPT, path, PTR_BM_ASIS, PTR_BM_LEFT), OPOS_SUCCESS);
    QCOMPARE(e.fake->data().toHex(' '),
             (hex("1b7b00") + left.standardModeBytes() + hex("1b7b01")).toHex(' '));
}

void TestSymbolOutput::rotationListsSayWhatPrints() {
    PosPrinterControl closed;
    QCOMPARE(closed.RecBarCodeRotationList(), QString());
    QCOMPARE(closed.RecBitmapRotationList(), QString());
    Enabled e;
    QCOMPARE(e.p.RecBarCodeRotationList(), QStringLiteral("0,R90,L90,180"));
    QCOMPARE(e.p.RecBitmapRotationList(), QStringLiteral("0,R90,L90,180"));
    QVERIFY(e.p.CapRecBarCode());
    QVERIFY(e.p.CapRecBitmap());
}

QTEST_MAIN(TestSymbolOutput)
#include "tst_symboloutput.moc"
