#include "app/form.h"
#include "app/frm_sample.h"
#include "app/statuslist.h"
#include "bmbc/frmbmbc.h"
#include "common/barcodescan.h"
#include "common/windowtesting.h"
#include "opos/oposconstants.h"
#include "opos/posprinter.h"
#include "printer/frmprinter.h"
#include "support/builtindevices.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace opos;

namespace {

template <typename T> T* child(QWidget& window, const char* name) {
    return window.findChild<T*>(QLatin1String(name));
}

QString lastLine() {
    const StatusList* list = mainWindow().lstStatusResults;
    return list->List(list->ListCount() - 1);
}

// Paper printed from `top` on, to the end of the current receipt.
QImage paperFrom(int top) {
    const QImage paper = virtualPrinter()->paper()->currentImage();
    if (paper.height() <= top) {
        QImage blank(paper.width(), 1, QImage::Format_RGB32);
        blank.fill(Qt::white);
        return blank;
    }
    return paper.copy(0, top, paper.width(), paper.height() - top);
}

int paperTop() {
    return virtualPrinter()->paper()->position();
}

// The black dots of an image as 0/1 rows, so two pictures compare by their dots alone.
QImage dotsOf(const QImage& image) {
    QImage out(image.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.setPixel(x, y, qGray(image.pixel(x, y)) < 128 && qAlpha(image.pixel(x, y)) > 0 ? 0 : 255);
    return out;
}

// The smallest rectangle that holds every black dot.
QRect inkBounds(const QImage& dots) {
    QRect bounds;
    for (int y = 0; y < dots.height(); ++y)
        for (int x = 0; x < dots.width(); ++x)
            if (qGray(dots.pixel(x, y)) == 0)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

} // namespace

// From the bar code window's buttons through our control to the virtual printer's paper, checked
// with scanners we did not write.
class TestBarcodePaper : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void everySampleScansBack_data();
    void everySampleScansBack();
    void pdf417DecodesToItsData();
    void sidewaysBlockWithABarCodeScans();
    void oneBitBitmapPrintsPixelExact();
    void storedBitmapPrintsAsPrintBitmapDoes();
    void shippedTestBitmapPrints();

private:
    QTemporaryDir config;
    QTemporaryDir files;
    frmPrinter* printer = nullptr;
    frmBMBC* window = nullptr;
    PosPrinter* control() { return printer->OPOSPOSPrinter1; }
};

void TestBarcodePaper::initTestCase() {
    QVERIFY(files.isValid());
    useBuiltInDevices(config);
    mainWindow();
    printer = &FormInstance<frmPrinter>::get();
    printer->Display();
    for (const char* name : {"cmdOpenPrinter", "cmdClaimPrinter", "cmdEnablePrinter"}) {
        child<QAbstractButton>(*printer, name)->click();
        QVERIFY2(lastLine().endsWith(QLatin1String("OPOS_SUCCESS")), qPrintable(lastLine()));
    }
    child<QAbstractButton>(*printer, "Command1")->click();
    QVERIFY(FormInstance<frmBMBC>::isLoaded());
    window = &FormInstance<frmBMBC>::get();
}

void TestBarcodePaper::cleanupTestCase() {
    unloadWindows<frmPrinter>();
}

void TestBarcodePaper::everySampleScansBack_data() {
    QTest::addColumn<int>("symbology");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("small");
    QTest::addColumn<QByteArray>("medium");
    QTest::addColumn<QByteArray>("large");

    // UPC and EAN scan back with their check digit (UPC-E in its eight-digit form); Code 128
    // without its start character.
    const QByteArray upcA = "012345678905", upcE = "01203426", ean8 = "12121212", ean13 = "1012345678904";
    QTest::newRow("UPC-A") << PTR_BCS_UPCA << "UPC-A" << upcA << upcA << upcA;
    QTest::newRow("UPC-E") << PTR_BCS_UPCE << "UPC-E" << upcE << upcE << upcE;
    QTest::newRow("EAN 8") << PTR_BCS_EAN8 << "EAN-8" << ean8 << ean8 << ean8;
    QTest::newRow("EAN 13") << PTR_BCS_EAN13 << "EAN-13" << ean13 << ean13 << ean13;
    QTest::newRow("ITF") << PTR_BCS_ITF << "I2/5" << QByteArray("648129753059487615342048976531")
                         << QByteArray("90238200114139042178") << QByteArray("54810548673912");
    QTest::newRow("Codabar") << PTR_BCS_Codabar << "Codabar" << QByteArray("A580$76:415+89-34/2.D")
                             << QByteArray("C2$6+8/4.39-5B") << QByteArray("D57+9$32:A");
    QTest::newRow("Code 39") << PTR_BCS_Code39 << "CODE-39" << QByteArray("HEU 2483+45%JKE")
                             << QByteArray("F4$JS984D") << QByteArray("F4/35G");
    QTest::newRow("Code 128") << PTR_BCS_Code128 << "CODE-128"
                              << QByteArray("3334353637383940414243444546474849") << QByteArray("ABCDEFGHI")
                              << QByteArray("3456789");
}

// Each symbology's Sample at each width, chosen and printed with the window's own buttons.
void TestBarcodePaper::everySampleScansBack() {
    if (!zbarAvailable())
        QSKIP("zbarimg is not installed (Debian package zbar-tools)");
    QFETCH(int, symbology);
    QFETCH(QString, type);
    QFETCH(QByteArray, small);
    QFETCH(QByteArray, medium);
    QFETCH(QByteArray, large);
    const QList<QPair<const char*, QByteArray>> widths = {
        {"optBCWSmall", small}, {"optBCWMedium", medium}, {"optBCWLarge", large}};
    frmBMBC::MySymbology = symbology;
    for (const auto& [option, expected] : widths) {
        child<QRadioButton>(*window, option)->setChecked(true);
        window->cmdSample_Click();
        const int top = paperTop();
        window->cmdPrintBarCode_Click();
        QVERIFY2(lastLine().endsWith(QLatin1String(":  Result of Printer::PrintBarCode:  OPOS_SUCCESS")),
                 qPrintable(lastLine()));
        const QList<ScannedCode> codes = scanWithZbar(paperFrom(top));
        QVERIFY2(codes.size() == 1, option);
        QCOMPARE(codes.first().type, type);
        QCOMPARE(codes.first().data, expected);
    }
}

void TestBarcodePaper::pdf417DecodesToItsData() {
    if (!zxingAvailable())
        QSKIP("zxing-cpp is not installed (Debian package python3-zxing-cpp)");
    const QString data = QStringLiteral("Posling PDF417 0123456789");
    const int top = paperTop();
    QCOMPARE(
        control()->PrintBarCode(PTR_S_RECEIPT, data, PTR_BCS_PDF417, 120, 3, PTR_BC_CENTER, PTR_BC_TEXT_NONE),
        OPOS_SUCCESS);
    const QList<ScannedCode> codes = scanWithZxing(paperFrom(top));
    QCOMPARE(codes.size(), 1);
    QCOMPARE(codes.first().data, data.toLatin1());
}

// A bar code turned with the text of a sideways block still reads.
void TestBarcodePaper::sidewaysBlockWithABarCodeScans() {
    if (!zbarAvailable())
        QSKIP("zbarimg is not installed (Debian package zbar-tools)");
    const int top = paperTop();
    QCOMPARE(control()->RotatePrint(PTR_S_RECEIPT, PTR_RP_LEFT90 | PTR_RP_BARCODE), OPOS_SUCCESS);
    QCOMPARE(control()->PrintNormal(PTR_S_RECEIPT, QStringLiteral("Turned\n")), OPOS_SUCCESS);
    QCOMPARE(control()->PrintBarCode(PTR_S_RECEIPT, QStringLiteral("SIDE128"), PTR_BCS_Code128, 80, 2,
                                     PTR_BC_LEFT, PTR_BC_TEXT_BELOW),
             OPOS_SUCCESS);
    QCOMPARE(control()->RotatePrint(PTR_S_RECEIPT, PTR_RP_NORMAL), OPOS_SUCCESS);
    const QList<ScannedCode> codes = scanWithZbar(paperFrom(top));
    QCOMPARE(codes.size(), 1);
    QCOMPARE(codes.first().data, QByteArray("SIDE128"));
    // Turned left, the bars run across the paper: the symbol is taller than it is wide.
    const QRect ink = inkBounds(dotsOf(paperFrom(top)));
    QVERIFY2(ink.height() > ink.width(),
             qPrintable(QStringLiteral("%1 x %2").arg(ink.width()).arg(ink.height())));
}

void TestBarcodePaper::oneBitBitmapPrintsPixelExact() {
    // A 1-bit picture with detail down to single dots.
    QImage picture(203, 61, QImage::Format_Mono);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, ((x * 7 + y * 3) % 11 < 4 || x == y) ? 1 : 0);
    const QString path = files.filePath(QStringLiteral("dots.bmp"));
    QVERIFY(picture.save(path, "BMP"));
    const int top = paperTop();
    QCOMPARE(control()->PrintBitmap(PTR_S_RECEIPT, path, PTR_BM_ASIS, PTR_BM_LEFT), OPOS_SUCCESS);
    const QImage printed = dotsOf(paperFrom(top)).copy(0, 0, picture.width(), picture.height());
    QCOMPARE(printed, dotsOf(picture.convertToFormat(QImage::Format_RGB32)));
}

// ESC|#B prints what SetBitmap stored, dot for dot what PrintBitmap prints from the same file.
void TestBarcodePaper::storedBitmapPrintsAsPrintBitmapDoes() {
    QImage picture(150, 40, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 255 / 150, (x + y) % 256, y * 6)); // greys: dithered
    const QString path = files.filePath(QStringLiteral("colour.bmp"));
    QVERIFY(picture.save(path, "BMP"));
    QCOMPARE(control()->SetBitmap(3, PTR_S_RECEIPT, path, 300, PTR_BM_CENTER), OPOS_SUCCESS);
    int top = paperTop();
    QCOMPARE(control()->PrintBitmap(PTR_S_RECEIPT, path, 300, PTR_BM_CENTER), OPOS_SUCCESS);
    const QImage direct = dotsOf(paperFrom(top));
    top = paperTop();
    QCOMPARE(control()->PrintNormal(PTR_S_RECEIPT, QStringLiteral("\x1b|3B")), OPOS_SUCCESS);
    const QImage stored = dotsOf(paperFrom(top));
    const QRect a = inkBounds(direct), b = inkBounds(stored);
    QCOMPARE(a.size(), QSize(300, 80));
    QCOMPARE(b, a);
    QCOMPARE(stored.copy(b), direct.copy(a));
    // An unstored number prints nothing.
    top = paperTop();
    QCOMPARE(control()->PrintNormal(PTR_S_RECEIPT, QStringLiteral("\x1b|7B")), OPOS_SUCCESS);
    QVERIFY(inkBounds(dotsOf(paperFrom(top))).isEmpty());
}

// The window's default path names the bitmap shipped beside the program.
void TestBarcodePaper::shippedTestBitmapPrints() {
    const QString path = child<QLineEdit>(*window, "txtBMPath")->text();
    const QImage shipped(path);
    QVERIFY2(!shipped.isNull(), qPrintable(path));
    QVERIFY(shipped.width() < 576);
    const int top = paperTop();
    window->cmdPrintBitmap_Click();
    QVERIFY2(lastLine().endsWith(QLatin1String(":  Result of Printer::PrintBitmap:  OPOS_SUCCESS")),
             qPrintable(lastLine()));
    QCOMPARE(inkBounds(dotsOf(paperFrom(top))).width(), inkBounds(dotsOf(shipped)).width());
}

QTEST_MAIN(TestBarcodePaper)
#include "tst_barcodepaper.moc"
