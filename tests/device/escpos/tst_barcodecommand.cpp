#include "device/escpos/barcodecommand.h"
#include "device/profile/printerprofile.h"

#include <QtTest>

using namespace device;
using namespace opos;

namespace {

PrinterProfile profile(const QString& id) {
    return *PrinterProfile::byId(id);
}

BarcodeCommand build(qint32 symbology, const QString& data, qint32 width, const QString& profileId = "80mm",
                     qint32 alignment = PTR_BC_LEFT, qint32 height = 50, qint32 text = PTR_BC_TEXT_NONE) {
    return buildBarcodeCommand({data, symbology, height, width, alignment, text}, profile(profileId));
}

QString code128Sample(int start, int from, int to) {
    QString data{QChar(start)};
    for (int c = from; c <= to; ++c)
        data += QChar(c);
    return data;
}

} // namespace

class TestBarcodeCommand : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dataPerSymbology_data();
    void dataPerSymbology();
    void argumentLimits_data();
    void argumentLimits();
    void sampleWidths_data();
    void sampleWidths();
    void moduleFromTotalWidth_data();
    void moduleFromTotalWidth();
    void placement_data();
    void placement();
    void twoDimensional_data();
    void twoDimensional();
};

// Good and bad data, one symbology after another. gsk: the expected GS k command ("" = refused).
void TestBarcodeCommand::dataPerSymbology_data() {
    QTest::addColumn<int>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QByteArray>("gsk");
    auto good = [](const char* name, int symbology, const QString& data, const char* hex) {
        QTest::newRow(name) << symbology << data << QByteArray::fromHex(hex);
    };
    auto bad = [](const char* name, int symbology, const QString& data) {
        QTest::newRow(name) << symbology << data << QByteArray();
    };
    good("upca 11 gets its check digit", PTR_BCS_UPCA, "01234567890", "1d6b410c303132333435363738393035");
    good("upca 12 right check", PTR_BCS_UPCA, "012345678905", "1d6b410c303132333435363738393035");
    bad("upca wrong check", PTR_BCS_UPCA, "012345678901");
    bad("upca 10 digits", PTR_BCS_UPCA, "0123456789");
    bad("upca letter", PTR_BCS_UPCA, "0123456789A");
    good("upce sample as upca form", PTR_BCS_UPCE, "01220000034", "1d6b420b3031323230303030303334");
    good("upce 6 digits", PTR_BCS_UPCE, "120342", "1d6b420b3031323230303030303334");
    good("upce 7 digits", PTR_BCS_UPCE, "0120342", "1d6b420b3031323230303030303334");
    good("upce 8 with check", PTR_BCS_UPCE, "01203426", "1d6b420b3031323230303030303334");
    good("upce 12 with check", PTR_BCS_UPCE, "012200000346", "1d6b420b3031323230303030303334");
    good("upce last digit 4", PTR_BCS_UPCE, "123454", "1d6b420b3031323334303030303035");
    bad("upce 8 wrong check", PTR_BCS_UPCE, "01203425");
    bad("upce not suppressible", PTR_BCS_UPCE, "01234567890");
    bad("upce number system 1", PTR_BCS_UPCE, "11220000034");
    bad("upce 9 digits", PTR_BCS_UPCE, "012200000");
    good("ean8 sample", PTR_BCS_EAN8, "12121212", "1d6b44083132313231323132");
    good("ean8 7 digits", PTR_BCS_EAN8, "1212121", "1d6b44083132313231323132");
    bad("ean8 wrong check", PTR_BCS_EAN8, "12121213");
    good("ean13 sample", PTR_BCS_EAN13, "1012345678904", "1d6b430d31303132333435363738393034");
    good("ean13 12 digits", PTR_BCS_EAN13, "101234567890", "1d6b430d31303132333435363738393034");
    bad("ean13 wrong check", PTR_BCS_EAN13, "1012345678905");
    good("itf even", PTR_BCS_ITF, "1234", "1d6b460431323334");
    bad("itf odd is never dropped", PTR_BCS_ITF, "12345");
    bad("itf letter", PTR_BCS_ITF, "12A4");
    good("codabar lower case start", PTR_BCS_Codabar, "a1$:b", "1d6b47054131243a42");
    bad("codabar no stop", PTR_BCS_Codabar, "A123");
    bad("codabar letter inside", PTR_BCS_Codabar, "A1B2C");
    bad("codabar start only", PTR_BCS_Codabar, "AB");
    good("code39 stars removed", PTR_BCS_Code39, "*AB 1*", "1d6b450441422031");
    good("code39 punctuation", PTR_BCS_Code39, "A-.$/+%", "1d6b4507412d2e242f2b25");
    bad("code39 star at one end", PTR_BCS_Code39, "*AB");
    bad("code39 star inside", PTR_BCS_Code39, "A*B");
    bad("code39 lower case", PTR_BCS_Code39, "ab");
    good("code93 full ascii", PTR_BCS_Code93, QString("a\x01"), "1d6b48026101");
    bad("code93 above 7f", PTR_BCS_Code93, QString::fromLatin1("\xe9"));
    good("code128 start b sample", PTR_BCS_Code128, "hABCDEFGHI", "1d6b490b7b42414243444546474849");
    good("code128 start a sample", PTR_BCS_Code128, "g3456789", "1d6b49097b4133343536373839");
    good("code128 start c sample", PTR_BCS_Code128, code128Sample(105, 0x21, 0x31),
         "1d6b49137b432122232425262728292a2b2c2d2e2f3031");
    good("code128 plain is set b, brace doubled", PTR_BCS_Code128, "A{b", "1d6b49067b42417b7b62");
    good("code128 passthrough", PTR_BCS_Code128, "{B{{x{1{C\x0c{BA", "1d6b490d7b427b7b787b317b430c7b4241");
    good("code128 passthrough shift", PTR_BCS_Code128, "{A{SaB", "1d6b49067b417b536142");
    bad("code128 passthrough no selector", PTR_BCS_Code128, "{1AB");
    bad("code128 set c value above 99", PTR_BCS_Code128, "{Cd");
    bad("code128 fnc2 in set c", PTR_BCS_Code128, "{C{2\x01");
    bad("code128 unknown escape", PTR_BCS_Code128, "{B{DX");
    bad("code128 lone brace", PTR_BCS_Code128, "{BX{");
    bad("code128 literal brace in set a", PTR_BCS_Code128, "{A{{");
    bad("code128 lower case in set a", PTR_BCS_Code128, "{Aa");
    bad("code128 selector only", PTR_BCS_Code128, "{B");
    bad("code128 start c value above 99", PTR_BCS_Code128, "id");
    bad("code128 start only", PTR_BCS_Code128, "h");
    bad("code128 control in set b", PTR_BCS_Code128, "A\x01");
    good("gs1 fixed then variable", PTR_BCS_EAN128, "(01)09501101530003(10)AB12",
         "1d6b49137b437b310109320b01350003"
         "0a7b4241423132");
    good("gs1 variable then fnc1", PTR_BCS_EAN128, "(10)AB(21)12345678",
         "1d6b49117b427b31313041427b317b43150c"
         "22384e");
    good("gs1 element string", PTR_BCS_EAN128, "0109501101530003", "1d6b490c7b437b310109320b01350003");
    good("gs1 group separator", PTR_BCS_EAN128,
         "10A\x1d"
         "21B",
         "1d6b490c7b427b313130417b31323142");
    bad("gs1 fixed length wrong", PTR_BCS_EAN128, "(01)123");
    bad("gs1 fixed value not digits", PTR_BCS_EAN128, "(11)12345A");
    bad("gs1 empty value", PTR_BCS_EAN128, "(10)(21)1");
    bad("gs1 one digit ai", PTR_BCS_EAN128, "(1)23");
    bad("gs1 no ai", PTR_BCS_EAN128, "AB12");
    bad("gs1 character outside set", PTR_BCS_EAN128, "(10)A#B");
    good("parsed digits in set c", PTR_BCS_Code128_Parsed, "AB12345", "1d6b49097b424142317b43172d");
    good("parsed short digits stay b", PTR_BCS_Code128_Parsed, "A123", "1d6b49067b4241313233");
    bad("parsed control character", PTR_BCS_Code128_Parsed, "A\x01");
    bad("empty data", PTR_BCS_Code39, "");
    bad("over 255 bytes", PTR_BCS_Code93, QString(256, QChar('A')));
    bad("tf", PTR_BCS_TF, "1234");
    bad("upca supplement", PTR_BCS_UPCA_S, "01234567890");
    bad("upc-d", PTR_BCS_UPCD1, "01234567890");
    bad("ocr a", PTR_BCS_OCRA, "ABC");
    bad("other", PTR_BCS_OTHER, "ABC");
    bad("unknown", 0, "ABC");
}

void TestBarcodeCommand::dataPerSymbology() {
    QFETCH(int, symbology);
    QFETCH(QString, data);
    QFETCH(QByteArray, gsk);
    const BarcodeCommand command = build(symbology, data, 1);
    QCOMPARE(command.code, gsk.isEmpty() ? OPOS_E_ILLEGAL : OPOS_SUCCESS);
    QCOMPARE(command.symbol.toHex(' '), gsk.toHex(' '));
    QCOMPARE(command.reason.isEmpty(), !gsk.isEmpty());
}

// EAN-13 (95 modules) on 80 mm paper; setup is the GS h, GS w, GS H sent when accepted.
void TestBarcodeCommand::argumentLimits_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("text");
    QTest::addColumn<QByteArray>("setup");
    auto row = [](const char* name, int height, int width, int alignment, int text, const char* hex) {
        QTest::newRow(name) << height << width << alignment << text << QByteArray::fromHex(hex);
    };
    row("lowest height", 1, 2, PTR_BC_LEFT, PTR_BC_TEXT_NONE, "1d68011d77021d4800");
    row("highest height, text above", 255, 2, PTR_BC_LEFT, PTR_BC_TEXT_ABOVE, "1d68ff1d77021d4801");
    row("text below", 50, 2, PTR_BC_LEFT, PTR_BC_TEXT_BELOW, "1d68321d77021d4802");
    row("height 0", 0, 2, PTR_BC_LEFT, PTR_BC_TEXT_NONE, "");
    row("height 256", 256, 2, PTR_BC_LEFT, PTR_BC_TEXT_NONE, "");
    row("width 0", 50, 0, PTR_BC_LEFT, PTR_BC_TEXT_NONE, "");
    row("width negative", 50, -5, PTR_BC_LEFT, PTR_BC_TEXT_NONE, "");
    row("module 6 fits 80 mm", 50, 6, PTR_BC_LEFT, PTR_BC_TEXT_NONE, "1d68321d77061d4800");
    row("total width beyond the line", 50, 577, PTR_BC_LEFT, PTR_BC_TEXT_NONE, "");
    row("alignment -4", 50, 2, -4, PTR_BC_TEXT_NONE, "");
    row("alignment at line end", 50, 2, 576, PTR_BC_TEXT_NONE, "");
    row("alignment leaves exactly room", 50, 3, 291, PTR_BC_TEXT_NONE, "1d68321d77031d4800");
    row("alignment one dot too far", 50, 3, 292, PTR_BC_TEXT_NONE, "");
    row("text position -10", 50, 2, PTR_BC_LEFT, -10, "");
    row("text position -14", 50, 2, PTR_BC_LEFT, -14, "");
    row("text position 0", 50, 2, PTR_BC_LEFT, 0, "");
}

void TestBarcodeCommand::argumentLimits() {
    QFETCH(int, height);
    QFETCH(int, width);
    QFETCH(int, alignment);
    QFETCH(int, text);
    QFETCH(QByteArray, setup);
    const BarcodeCommand command =
        build(PTR_BCS_EAN13, "1012345678904", width, "80mm", alignment, height, text);
    QCOMPARE(command.code, setup.isEmpty() ? OPOS_E_ILLEGAL : OPOS_SUCCESS);
    QCOMPARE(command.setup.toHex(' '), setup.toHex(' '));
}

// Every sample fits 576 dots at the module width it is meant for, at the printers' thick widths.
void TestBarcodeCommand::sampleWidths_data() {
    QTest::addColumn<int>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("module");
    QTest::addColumn<int>("widthDots");
    auto row = [](const char* name, int symbology, const QString& data, int module, int widthDots) {
        QTest::newRow(name) << symbology << data << module << widthDots;
    };
    row("itf 30 at 2", PTR_BCS_ITF, "648129753059487615342048976531", 2, 497);
    row("itf 20 at 3", PTR_BCS_ITF, "90238200114139042178", 3, 526);
    row("itf 14 at 4", PTR_BCS_ITF, "54810548673912", 4, 482);
    row("codabar at 2", PTR_BCS_Codabar, "A580$76:415+89-34/2.D", 2, 478);
    row("codabar at 3", PTR_BCS_Codabar, "C2$6+8/4.39-5B", 3, 498);
    row("codabar at 4", PTR_BCS_Codabar, "D57+9$32:A", 4, 460);
    row("code39 at 2", PTR_BCS_Code39, "HEU 2483+45%JKE", 2, 491);
    row("code39 at 3", PTR_BCS_Code39, "F4$JS984D", 3, 492);
    row("code39 at 4", PTR_BCS_Code39, "F4/35G", 4, 460);
    row("code39 module 1 is thin 1 thick 3", PTR_BCS_Code39, "A", 1, 47);
    row("code128 start c at 2", PTR_BCS_Code128, code128Sample(105, 0x21, 0x31), 2, 444);
    row("code128 start b at 3", PTR_BCS_Code128, "hABCDEFGHI", 3, 402);
    row("code128 start a at 4", PTR_BCS_Code128, "g3456789", 4, 448);
    row("code93 shifted character counts twice", PTR_BCS_Code93, "Aa", 2, 2 * (9 * 7 + 1));
    for (int module : {2, 3, 4}) {
        const QByteArray m = QByteArray::number(module);
        QTest::newRow("upca at " + m) << PTR_BCS_UPCA << QString("01234567890") << module << 95 * module;
        QTest::newRow("upce at " + m) << PTR_BCS_UPCE << QString("01220000034") << module << 51 * module;
        QTest::newRow("ean8 at " + m) << PTR_BCS_EAN8 << QString("12121212") << module << 67 * module;
        QTest::newRow("ean13 at " + m) << PTR_BCS_EAN13 << QString("1012345678904") << module << 95 * module;
    }
}

void TestBarcodeCommand::sampleWidths() {
    QFETCH(int, symbology);
    QFETCH(QString, data);
    QFETCH(int, module);
    QFETCH(int, widthDots);
    const BarcodeCommand command = build(symbology, data, module);
    QCOMPARE(command.code, OPOS_SUCCESS);
    QCOMPARE(command.widthDots, widthDots);
    QCOMPARE(command.moduleWidth, module);
}

// A width above 6 is the total width: the widest module whose symbol fits it; 0 = refused.
void TestBarcodeCommand::moduleFromTotalWidth_data() {
    QTest::addColumn<int>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("profileId");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("module");
    auto row = [](const char* name, int symbology, const QString& data, const char* id, int width,
                  int module) { QTest::newRow(name) << symbology << data << QString(id) << width << module; };
    const QString ean13 = "1012345678904";
    row("ean13 300 dots", PTR_BCS_EAN13, ean13, "80mm", 300, 3);
    row("ean13 exactly 285", PTR_BCS_EAN13, ean13, "80mm", 285, 3);
    row("ean13 one dot short", PTR_BCS_EAN13, ean13, "80mm", 284, 2);
    row("ean13 95 dots at module 1", PTR_BCS_EAN13, ean13, "80mm", 95, 1);
    row("ean13 94 dots: none fits", PTR_BCS_EAN13, ean13, "80mm", 94, 0);
    row("ean13 whole 80 mm line", PTR_BCS_EAN13, ean13, "80mm", 576, 6);
    row("ean13 whole 58 mm line", PTR_BCS_EAN13, ean13, "58mm", 384, 4);
    row("ean13 576 on 58 mm", PTR_BCS_EAN13, ean13, "58mm", 576, 0);
    row("ean13 module 5 on 80 mm", PTR_BCS_EAN13, ean13, "80mm", 5, 5);
    row("ean13 module 5 too wide on 58 mm", PTR_BCS_EAN13, ean13, "58mm", 5, 0);
    row("code39 500 dots", PTR_BCS_Code39, "F4$JS984D", "80mm", 500, 3);
    row("code39 491 dots", PTR_BCS_Code39, "F4$JS984D", "80mm", 491, 2);
    row("itf 482 dots", PTR_BCS_ITF, "54810548673912", "80mm", 482, 4);
    row("itf 481 dots", PTR_BCS_ITF, "54810548673912", "80mm", 481, 3);
}

void TestBarcodeCommand::moduleFromTotalWidth() {
    QFETCH(int, symbology);
    QFETCH(QString, data);
    QFETCH(QString, profileId);
    QFETCH(int, width);
    QFETCH(int, module);
    const BarcodeCommand command = build(symbology, data, width, profileId);
    QCOMPARE(command.code, module ? OPOS_SUCCESS : OPOS_E_ILLEGAL);
    QCOMPARE(command.moduleWidth, module);
    if (module)
        QCOMPARE(command.setup.mid(3, 3), QByteArray::fromHex("1d77") + char(module));
}

// EAN-13 at module 2 (190 dots) on 576 dots.
void TestBarcodeCommand::placement_data() {
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("leftDots");
    QTest::newRow("left") << PTR_BC_LEFT << QByteArray::fromHex("1b6100") << QByteArray::fromHex("1b6100")
                          << 0;
    QTest::newRow("centre") << PTR_BC_CENTER << QByteArray::fromHex("1b6101") << QByteArray::fromHex("1b6100")
                            << 193;
    QTest::newRow("right") << PTR_BC_RIGHT << QByteArray::fromHex("1b6102") << QByteArray::fromHex("1b6100")
                           << 386;
    QTest::newRow("distance 0") << 0 << QByteArray::fromHex("1d4c0000") << QByteArray::fromHex("1d4c0000")
                                << 0;
    QTest::newRow("distance 300") << 300 << QByteArray::fromHex("1d4c2c01") << QByteArray::fromHex("1d4c0000")
                                  << 300;
}

void TestBarcodeCommand::placement() {
    QFETCH(int, alignment);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(int, leftDots);
    const BarcodeCommand command = build(PTR_BCS_EAN13, "1012345678904", 2, "80mm", alignment);
    QCOMPARE(command.code, OPOS_SUCCESS);
    QCOMPARE(command.leftDots, leftDots);
    QCOMPARE(command.standardModeBytes().toHex(' '),
             (before + command.setup + command.symbol + after).toHex(' '));
    QVERIFY(build(PTR_BCS_EAN13, "1", 2, "80mm", alignment).standardModeBytes().isEmpty());
}

// PDF417 and MaxiCode through GS ( k; bytes = setup + symbol ("" = refused, "-" = not compared).
void TestBarcodeCommand::twoDimensional_data() {
    QTest::addColumn<int>("symbology");
    QTest::addColumn<QString>("profileId");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("widthDots");
    auto row = [](const char* name, int symbology, const char* id, const QString& data, int width,
                  const char* hex, int widthDots) {
        QTest::newRow(name) << symbology << QString(id) << data << width
                            << (qstrcmp(hex, "-") ? QByteArray::fromHex(hex) : QByteArray("-")) << widthDots;
    };
    const char* pdfHello = "1d286b03003041051d286b03003042001d286b03003043021d286b0300304403"
                           "1d286b0400304530321d286b0300304600"
                           "1d286b080030503068656c6c6f1d286b0300305130";
    row("pdf417 5 columns at module 2", PTR_BCS_PDF417, "80mm", "hello", 2, pdfHello, 308);
    row("pdf417 module 1 becomes 2", PTR_BCS_PDF417, "80mm", "hello", 1, pdfHello, 308);
    row("pdf417 total width picks module 4", PTR_BCS_PDF417, "80mm", "hello", 400, "-", 344);
    row("pdf417 on 58 mm", PTR_BCS_PDF417, "58mm", "hello", 3, "-", 360);
    row("pdf417 latin-1 data", PTR_BCS_PDF417, "80mm", QString::fromLatin1("caf\xe9"), 2, "-", 308);
    row("pdf417 800 bytes fit", PTR_BCS_PDF417, "80mm", QString(800, QChar('x')), 2, "-", 546);
    row("pdf417 1100 bytes do not", PTR_BCS_PDF417, "80mm", QString(1100, QChar('x')), 2, "", 0);
    row("pdf417 above latin-1", PTR_BCS_PDF417, "80mm", QString(QChar(0x100)), 2, "", 0);
    row("pdf417 empty", PTR_BCS_PDF417, "80mm", "", 2, "", 0);
    row("maxicode mode 4", PTR_BCS_MAXICODE, "80mm", "HELLO", 2,
        "1d286b03003241341d286b08003250304845"
        "4c4c4f1d286b0300325130",
        225);
    row("maxicode 93 characters", PTR_BCS_MAXICODE, "80mm", QString(93, QChar('A')), 2, "-", 225);
    row("maxicode 94 characters", PTR_BCS_MAXICODE, "80mm", QString(94, QChar('A')), 2, "", 0);
    row("maxicode lower case counts twice", PTR_BCS_MAXICODE, "80mm", QString(47, QChar('a')), 2, "", 0);
    row("maxicode total width too small", PTR_BCS_MAXICODE, "80mm", "HELLO", 200, "", 0);
    row("maxicode not on 58 mm", PTR_BCS_MAXICODE, "58mm", "HELLO", 2, "", 0);
}

void TestBarcodeCommand::twoDimensional() {
    QFETCH(int, symbology);
    QFETCH(QString, profileId);
    QFETCH(QString, data);
    QFETCH(int, width);
    QFETCH(QByteArray, bytes);
    QFETCH(int, widthDots);
    const BarcodeCommand command = build(symbology, data, width, profileId, PTR_BC_LEFT, 6);
    QCOMPARE(command.code, bytes.isEmpty() ? OPOS_E_ILLEGAL : OPOS_SUCCESS);
    QCOMPARE(command.widthDots, widthDots);
    if (bytes != "-")
        QCOMPARE((command.setup + command.symbol).toHex(' '), bytes.toHex(' '));
}

QTEST_APPLESS_MAIN(TestBarcodeCommand)
#include "tst_barcodecommand.moc"
